-- The string-building case: copying, replacing, searching and counting in
-- short texts, as the engine's string built-ins do it.
return function()
  local n = 0
  for i = 0, 199999 do
    local from = i % 10 + 1
    local t = string.sub('abcdefghij', from, from + 3)
    local s = string.gsub(t .. t, 'c', 'xy')
    local p = string.find(s, 'd', 1, true) or 0
    local _, count = string.gsub(s, 'x', 'x')
    n = n + #s + p + count
  end
  return n
end
