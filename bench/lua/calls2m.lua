local function add(a, b) return a + b end
return function()
  local s = 0
  for i = 0, 1999999 do s = add(s, i) end
  return s
end
