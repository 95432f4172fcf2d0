-- The step benchmark's work in plain Lua, as the reference for the engine:
-- 10,000 objects as tables sharing their events through a class table, each
-- step counting the alarms down (alarm 0 fires every 10 steps and sets itself
-- again) and then running every object's step event. Prints
-- "lua MS_PER_STEP FIRED": the best of several runs in processor time and
-- the alarms fired in the last run (the engine's run fires as many).
--   lua5.4 bench/lua/step/step.lua [steps] [runs]
local steps = tonumber(arg[1]) or 1000
local runs = tonumber(arg[2]) or 5
local count, period = 10000, 10

local Object = {}
Object.__index = Object

function Object:create()
  self.total = 0
  self.fired = 0
  self.alarm[0] = 1 + self.id % period
end

function Object:step()
  self.a = self.x + 1
  self.b = self.a * 2 - self.y
  self.c = (self.a + self.b) / 2
  self.total = self.total + self.c
end

function Object:alarm0()
  self.alarm[0] = period
  self.fired = self.fired + 1
end

local function room()
  local objects = {}
  for i = 0, count - 1 do
    local o = setmetatable({id = 100001 + i, x = i % 640, y = i // 640, alarm = {[0] = -1}}, Object)
    o:create()
    objects[#objects + 1] = o
  end
  return objects
end

local function step(objects)
  for i = 1, #objects do
    local o = objects[i]
    local alarm = o.alarm
    if alarm[0] >= 0 then alarm[0] = alarm[0] - 1 end
    if alarm[0] == 0 then o:alarm0() end
  end
  for i = 1, #objects do objects[i]:step() end
end

local best, fired = math.huge, 0
for _ = 1, runs do
  local objects = room()
  local start = os.clock()
  for _ = 1, steps do step(objects) end
  local took = (os.clock() - start) * 1000 / steps
  if took < best then best = took end
  fired = 0
  for i = 1, #objects do fired = fired + objects[i].fired end
end
print(string.format("lua %.4f %d", best, fired))
