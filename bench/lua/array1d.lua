return function()
  local a, s = {}, 0
  for k = 1, 30 do
    for i = 0, 31999 do a[i] = i end
    for i = 0, 31999 do s = s + a[i] end
  end
  return s
end
