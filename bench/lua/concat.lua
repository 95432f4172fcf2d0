return function()
  local s = ''
  for i = 0, 19999 do s = s .. 'abcdef' end
  return #s
end
