-- A binary min-heap of {priority, value} pairs.
return function()
  local heap, n, s = {}, 0, 0
  local function push(p, v)
    n = n + 1
    local i = n
    while i > 1 do
      local parent = i // 2
      if heap[parent][1] <= p then break end
      heap[i] = heap[parent]
      i = parent
    end
    heap[i] = {p, v}
  end
  local function pop()
    local top, last = heap[1], heap[n]
    heap[n] = nil
    n = n - 1
    local i = 1
    while true do
      local c = 2 * i
      if c > n then break end
      if c < n and heap[c + 1][1] < heap[c][1] then c = c + 1 end
      if last[1] <= heap[c][1] then break end
      heap[i] = heap[c]
      i = c
    end
    if n > 0 then heap[i] = last end
    return top[2]
  end
  for i = 0, 99999 do push(i * 7919 % 200003, i) end
  for _ = 0, 99999 do s = s + pop() % 7 end
  return s
end
