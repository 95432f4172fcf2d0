return function()
  local l, s = {}, 0
  for i = 0, 999999 do l[#l + 1] = i end
  for i = 0, 999999 do s = s + l[i + 1] end
  return s
end
