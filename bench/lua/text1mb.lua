-- A text of about 1 MB built with Lua's buffer idiom (a table of pieces
-- joined once), then pieces taken out of it.
return function()
  local parts = {}
  for i = 0, 199999 do parts[#parts + 1] = tostring(i) end
  local s = table.concat(parts)
  local n = #s
  for i = 0, 99999 do
    local t = s:sub(i * 10 + 1, i * 10 + 8)
    n = n + (t:find('7', 1, true) or 0) + s:sub(i * 10 + 3, i * 10 + 3):byte()
  end
  return n
end
