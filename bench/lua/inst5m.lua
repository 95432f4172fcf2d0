-- Instance variables are the fields of the instance's table.
return function()
  local self = {}
  self.n = 0
  self.t = 0
  for _ = 1, 5000000 do
    self.t = self.t + (self.n // 3) % 5
    self.n = self.n + 1
  end
  return self.t
end
