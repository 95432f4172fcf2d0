return function()
  local b, s = {}, 0
  for i = 0, 999 do
    local row = {}
    b[i] = row
    for j = 0, 999 do row[j] = i + j end
  end
  for i = 0, 999 do
    local row = b[i]
    for j = 0, 999 do s = s + row[j] end
  end
  return s
end
