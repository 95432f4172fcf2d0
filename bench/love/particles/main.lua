-- The engine's particle scene in LOVE with a ParticleSystem: the same counts,
-- image, sizes, lifetimes, motion and measurement as bench/particles_bench.cpp.
-- One frame is one step of 1/60 s: update, then draw.
local WIDTH, HEIGHT, LIFE, STEP = 640, 480, 50, 1 / 60

local image, system, canvas

-- A soft disk 64 x 64 like the engine's built-in disk shape.
local function disk()
  local data = love.image.newImageData(64, 64)
  data:mapPixel(function(x, y)
    local r = math.sqrt((x - 31.5) ^ 2 + (y - 31.5) ^ 2)
    local a = r <= 25 and 1 or math.max(0, 1 - (r - 25) / 3.6)
    return 1, 1, 1, a
  end)
  return love.graphics.newImage(data)
end

-- n live particles: n / LIFE made every step, each living LIFE steps, at 1 to
-- 3 pixels a step in any direction, turning 2 degrees a step, a quarter of
-- the image's size, from yellow to red while fading out.
local function make(n)
  system = love.graphics.newParticleSystem(image, n)
  system:setParticleLifetime(LIFE * STEP)
  system:setEmissionRate(n / LIFE / STEP)
  system:setEmissionArea("uniform", 20, 20)
  system:setSpeed(60, 180)
  system:setSpread(2 * math.pi)
  system:setSizes(0.25)
  system:setSpin(math.rad(2) / STEP)
  system:setColors(1, 1, 0, 1, 1, 0, 0, 0)
  for _ = 1, LIFE + 1 do system:update(STEP) end
end

local function frame()
  system:update(STEP)
  if canvas then love.graphics.setCanvas(canvas) end
  love.graphics.clear(0x20 / 255, 0x20 / 255, 0x40 / 255)
  love.graphics.draw(system, WIDTH / 2, HEIGHT / 2)
  if canvas then
    love.graphics.setCanvas()
    love.graphics.draw(canvas)
  end
  love.graphics.present()
end

-- Milliseconds of one frame: the average over at least `frames` frames and
-- half a second, the best of three runs, as in the engine's benchmark.
local function measure(n, frames)
  make(n)
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
  return best, system:getCount()
end

function love.run()
  local frames = tonumber(arg[2]) or 10
  image = disk()
  if os.getenv("SDL_VIDEODRIVER") == "offscreen" then canvas = love.graphics.newCanvas(WIDTH, HEIGHT) end
  print(string.format("love: best of 3 runs of at least %d frames and 0.5 s each (%s)", frames,
    select(4, love.graphics.getRendererInfo()) .. (canvas and ", through a canvas" or "")))
  for _, n in ipairs({10000, 50000}) do
    local ms, live = measure(n, frames)
    print(string.format("love: N = %6d  %8.3f ms/frame  (%d live)", n, ms, live))
  end
  io.stdout:flush()
  return function() return 0 end
end
