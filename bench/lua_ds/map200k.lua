return function()
  local m, s = {}, 0
  for i = 0, 199999 do m[i * 7919 % 200003] = i end
  for i = 0, 199999 do s = s + m[i * 7919 % 200003] end
  return s
end
