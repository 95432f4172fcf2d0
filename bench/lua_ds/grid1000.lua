return function()
  local g = {}
  for x = 0, 999 do
    local col = {}
    for y = 0, 999 do col[y] = 0 end
    g[x] = col
  end
  for i = 0, 9 do
    for x = 0, 999 do
      local col = g[x]
      for y = 0, 999 do col[y] = col[y] + i end
    end
  end
  local s = 0
  for x = 0, 999 do
    local col = g[x]
    for y = 0, 999 do s = s + col[y] end
  end
  return s
end
