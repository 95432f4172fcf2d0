-- The engine's bunnymark scene in LOVE with a SpriteBatch: the same image,
-- motion, random generator, room size and measurement as bench/bunnymark_bench.cpp.
local WIDTH, HEIGHT, GRAVITY = 640, 480, 0.5
local BUDGET_MS = 1000 / 60

local seed = 12345
local function random()
  seed = (seed * 134775813 + 1) % 4294967296
  return math.floor(seed / 256) / 16777216
end

local xs, ys, vxs, vys, count = {}, {}, {}, {}, 0
local image, batch, canvas

local function resize(n)
  while count < n do
    count = count + 1
    xs[count], ys[count] = 0, 0
    vxs[count] = random() * 8
    vys[count] = random() * 5 - 2.5
  end
  count = n
  batch = love.graphics.newSpriteBatch(image, n, "stream")
  for i = 1, n do batch:add(0, 0) end
end

local function step()
  for i = 1, count do
    local x, y, vx, vy = xs[i] + vxs[i], ys[i] + vys[i], vxs[i], vys[i] + GRAVITY
    if x > WIDTH - 32 then vx = -vx; x = WIDTH - 32 end
    if x < 0 then vx = -vx; x = 0 end
    if y > HEIGHT - 32 then
      vy = vy * -0.85; y = HEIGHT - 32
      if random() > 0.5 then vy = vy - random() * 6 end
    end
    if y < 0 then vy = 0; y = 0 end
    xs[i], ys[i], vxs[i], vys[i] = x, y, vx, vy
    batch:set(i, x, y)
  end
end

local function frame()
  step()
  if canvas then love.graphics.setCanvas(canvas) end
  love.graphics.clear(0x20 / 255, 0x20 / 255, 0x40 / 255)
  love.graphics.draw(batch)
  if canvas then
    love.graphics.setCanvas()
    love.graphics.draw(canvas)
  end
  love.graphics.present()
end

-- Milliseconds of one frame with n bunnies: the average over at least
-- `frames` frames and half a second, the best of three runs, as in the engine's
-- benchmark. The last frame of a run captures the screen, which makes its
-- present wait for the GPU.
local function measure(n, frames)
  resize(n)
  local best = math.huge
  for _ = 1, 3 do
    love.graphics.captureScreenshot(function() end)
    frame()
    local start, done = love.timer.getTime(), 0
    while done < frames or love.timer.getTime() - start < 0.5 do
      if done + 1 >= frames and love.timer.getTime() - start >= 0.5 then
        love.graphics.captureScreenshot(function() end)
      end
      frame()
      done = done + 1
    end
    best = math.min(best, (love.timer.getTime() - start) * 1000 / done)
  end
  return best
end

function love.run()
  local frames = tonumber(arg[2]) or 10
  local data = love.image.newImageData(32, 32)
  data:mapPixel(function(x, y)
    local dx, dy = x - 16, y - 16
    if dx * dx + dy * dy < 256 then return 1, 1 - (x * 4) / 255, 1, 1 end
    return 0, 0, 0, 0
  end)
  image = love.graphics.newImage(data)
  -- Without a window nothing is ever shown, and a frame that is not shown
  -- need not be rendered: draw through a canvas then, as the engine draws
  -- through its back buffer.
  if os.getenv("SDL_VIDEODRIVER") == "offscreen" then canvas = love.graphics.newCanvas(WIDTH, HEIGHT) end
  print(string.format("love: best of 3 runs of at least %d frames and 0.5 s each (%s)", frames, select(4, love.graphics.getRendererInfo()) .. (canvas and ", through a canvas" or "")))
  for _, n in ipairs({1000, 10000, 50000}) do
    print(string.format("love: N = %6d  %8.3f ms/frame", n, measure(n, frames)))
  end
  local low, high = 0, 1000
  while measure(high, frames) <= BUDGET_MS do low = high; high = high * 2 end
  while high - low > math.max(math.floor(low / 100), 100) do
    local mid = math.floor((low + high) / 2)
    if measure(mid, frames) <= BUDGET_MS then low = mid else high = mid end
  end
  print(string.format("love: largest N within 16.7 ms: %d", low))
  io.stdout:flush()
  return function() return 0 end
end
