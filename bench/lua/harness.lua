-- Runs one case file (best of BENCH_RUNS runs, 3 by default) and prints
-- "name milliseconds result", the same line the engine's harness prints.
local name, file = arg[1], arg[2]
local run = dofile(file)
local runs = tonumber(os.getenv("BENCH_RUNS") or "3")
local best, result = math.huge, nil
for _ = 1, math.max(runs, 1) do
  local start = os.clock()
  result = run()
  local took = (os.clock() - start) * 1000
  if took < best then best = took end
end
print(string.format("%s %.1f %s", name, best, tostring(math.tointeger(result) or result)))
