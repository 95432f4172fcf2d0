-- The engine's frame-speed game (bench/framespeed_bench.cpp) in LOVE: N round
-- 32 x 32 images moving by their speeds and turned back at the window's edges
-- in a Lua update, then drawn, for N = 1,000, 5,000 and 20,000 and the
-- largest N within 16.7 ms. Each N is drawn both through a SpriteBatch and
-- with plain draws, and the faster counts.
--   love bench/love/framespeed SCALE FRAMES
local WIDTH, HEIGHT = 640, 480
local BUDGET_MS = 1000 / 60
local scale = tonumber(arg[2]) or 1
local frames = tonumber(arg[3]) or 10

local seed = 12345
local function random(n)
  seed = (seed * 134775813 + 1) % 4294967296
  return seed / 4294967296 * n
end

local xs, ys, hs, vs, count = {}, {}, {}, {}, 0
local image, batch
local size = 32 * scale

local function resize(n)
  while count < n do
    count = count + 1
    xs[count], ys[count] = random(WIDTH - size), random(HEIGHT - size)
    hs[count], vs[count] = random(8) - 4, random(8) - 4
  end
  count = n
  batch = love.graphics.newSpriteBatch(image, n, "stream")
  for _ = 1, n do batch:add(0, 0) end
end

-- The step event, then the motion, as the engine runs them.
local function step(batched)
  local abs = math.abs
  for i = 1, count do
    local x, y, h, v = xs[i], ys[i], hs[i], vs[i]
    if x < 0 then h = abs(h) elseif x > WIDTH - size then h = -abs(h) end
    if y < 0 then v = abs(v) elseif y > HEIGHT - size then v = -abs(v) end
    x, y = x + h, y + v
    xs[i], ys[i], hs[i], vs[i] = x, y, h, v
    if batched then batch:set(i, x, y, 0, scale, scale) end
  end
end

local function frame(batched)
  step(batched)
  love.graphics.clear(0xC0 / 255, 0xC0 / 255, 0xC0 / 255)
  if batched then
    love.graphics.draw(batch)
  else
    local draw = love.graphics.draw
    for i = 1, count do draw(image, xs[i], ys[i], 0, scale, scale) end
  end
  love.graphics.present()
end

-- Milliseconds of one frame: the best of 3 runs of at least `frames` frames
-- and half a second, as in the engine's game. A screenshot makes the last
-- present of a run wait for the GPU.
local function measure_with(batched)
  local best = math.huge
  for _ = 1, 10 do frame(batched) end
  for _ = 1, 3 do
    love.graphics.captureScreenshot(function() end)
    frame(batched)
    local start, done = love.timer.getTime(), 0
    while done < frames or love.timer.getTime() - start < 0.5 do
      if done + 1 >= frames and love.timer.getTime() - start >= 0.5 then
        love.graphics.captureScreenshot(function() end)
      end
      frame(batched)
      done = done + 1
    end
    best = math.min(best, (love.timer.getTime() - start) * 1000 / done)
  end
  return best
end

local function measure(n)
  resize(n)
  local batched, plain = measure_with(true), measure_with(false)
  if batched <= plain then return batched, "SpriteBatch" end
  return plain, "plain draws"
end

function love.run()
  love.graphics.setDefaultFilter("nearest", "nearest")
  local data = love.image.newImageData(32, 32)
  data:mapPixel(function(x, y)
    local dx, dy = 2 * x - 31, 2 * y - 31
    if dx * dx + dy * dy <= 32 * 32 then return 1, (255 - x * 4) / 255, 64 / 255, 1 end
    return 0, 0, 0, 0
  end)
  image = love.graphics.newImage(data)
  for _, n in ipairs({1000, 5000, 20000}) do
    local ms, how = measure(n)
    print(string.format("love: N = %d scale %g ms %.3f (%s)", n, scale, ms, how))
  end
  local low, high = 0, 1000
  while measure(high) <= BUDGET_MS do low = high; high = high * 2 end
  while high - low > math.max(math.floor(low / 100), 100) do
    local mid = math.floor((low + high) / 2)
    if measure(mid) <= BUDGET_MS then low = mid else high = mid end
  end
  print(string.format("love: largest N within 16.7 ms: %d scale %g", low, scale))
  io.stdout:flush()
  return function() return 0 end
end
