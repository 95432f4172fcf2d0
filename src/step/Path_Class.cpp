#include "step/Path_Class.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

RPathComputed At(const RPathPoint& p) { return {p.x, p.y, p.speed, 0}; }

RPathComputed Average(const RPathComputed& a, const RPathComputed& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2, 0};
}

double SquaredDistance(const RPathComputed& a, const RPathComputed& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// Pieces closer than this (4 pixels, squared) are not refined further.
constexpr double kRefineLimit = 16;

double Finite(double v) { return std::isfinite(v) ? v : 0; }

}  // namespace

// ---- Definition ----

void CPath::CopyFrom(const CPath& other) {
  if (this == &other) return;
  m_Kind = other.m_Kind;
  m_Closed = other.m_Closed;
  m_Precision = other.m_Precision;
  m_Points = other.m_Points;
  Rebuild();
}

void CPath::LoadFrom(const RPathRecord& record) {
  m_Kind = record.kind == PATH_SMOOTH ? PATH_SMOOTH : PATH_STRAIGHT;
  m_Closed = record.closed;
  m_Precision = std::clamp(record.precision, 0, PATH_MAX_PRECISION);
  m_Points.clear();
  m_Points.reserve(record.points.size());
  for (const RPathPoint& p : record.points) m_Points.push_back({Finite(p.x), Finite(p.y), Finite(p.speed)});
  Rebuild();
}

void CPath::ClearPoints() {
  m_Points.clear();
  Rebuild();
}

void CPath::SetKind(int32_t kind) {
  m_Kind = kind == PATH_SMOOTH ? PATH_SMOOTH : PATH_STRAIGHT;
  Rebuild();
}

void CPath::SetClosed(bool closed) {
  m_Closed = closed;
  Rebuild();
}

void CPath::SetPrecision(int32_t precision) {
  m_Precision = std::clamp(precision, 0, PATH_MAX_PRECISION);
  Rebuild();
}

RPathPoint CPath::Point(int32_t i) const {
  if (i < 0 || i >= Count()) return {0, 0, 1};
  return m_Points[i];
}

void CPath::AddPoint(double x, double y, double speed) {
  if (m_Kind == PATH_SMOOTH) {
    InsertPoint(Count(), x, y, speed);
    return;
  }
  // A straight path grows at its end only: scripts that build long paths
  // point by point do not pay for the whole path each time.
  m_Points.push_back(RPathPoint{x, y, speed});
  if (m_Closed && !m_Computed.empty()) m_Computed.pop_back();
  AppendComputed(At(m_Points.back()));
  if (m_Closed) AppendComputed(At(m_Points.front()));
  m_Length = m_Computed.back().distance;
}

void CPath::InsertPoint(int32_t i, double x, double y, double speed) {
  if (i < 0 || i > Count()) return;
  m_Points.insert(m_Points.begin() + i, RPathPoint{x, y, speed});
  Rebuild();
}

void CPath::ChangePoint(int32_t i, double x, double y, double speed) {
  if (i < 0 || i >= Count()) return;
  m_Points[i] = RPathPoint{x, y, speed};
  Rebuild();
}

void CPath::DeletePoint(int32_t i) {
  if (i < 0 || i >= Count()) return;
  m_Points.erase(m_Points.begin() + i);
  Rebuild();
}

void CPath::Append(const CPath& other) {
  // Counted first: the other path may be this one.
  const size_t n = other.m_Points.size();
  m_Points.reserve(m_Points.size() + n);
  for (size_t i = 0; i < n; i++) m_Points.push_back(other.m_Points[i]);
  Rebuild();
}

void CPath::SetPolyline(std::span<const RPathPoint> points) {
  m_Kind = PATH_STRAIGHT;
  m_Closed = false;
  m_Points.assign(points.begin(), points.end());
  Rebuild();
}

// ---- Transformations ----

void CPath::Centre(double& cx, double& cy) const {
  double min_x = 100000000, min_y = 100000000, max_x = -100000000, max_y = -100000000;
  for (const RPathPoint& p : m_Points) {
    min_x = std::min(min_x, p.x);
    max_x = std::max(max_x, p.x);
    min_y = std::min(min_y, p.y);
    max_y = std::max(max_y, p.y);
  }
  cx = (min_x + max_x) / 2;
  cy = (min_y + max_y) / 2;
}

void CPath::Reverse() {
  std::reverse(m_Points.begin(), m_Points.end());
  Rebuild();
}

void CPath::Mirror() { Scale(-1, 1); }
void CPath::Flip() { Scale(1, -1); }

void CPath::Rotate(double angle) {
  double cx, cy;
  Centre(cx, cy);
  const double r = angle * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r);
  for (RPathPoint& p : m_Points) {
    const double x = p.x - cx, y = p.y - cy;
    p.x = cx + c * x + s * y;
    p.y = cy + c * y - s * x;
  }
  Rebuild();
}

void CPath::Scale(double xscale, double yscale) {
  double cx, cy;
  Centre(cx, cy);
  for (RPathPoint& p : m_Points) {
    p.x = cx + xscale * (p.x - cx);
    p.y = cy + yscale * (p.y - cy);
  }
  Rebuild();
}

void CPath::Shift(double xshift, double yshift) {
  for (RPathPoint& p : m_Points) {
    p.x += xshift;
    p.y += yshift;
  }
  Rebuild();
}

// ---- The computed polyline ----

void CPath::AppendComputed(RPathComputed p) {
  p.distance = m_Computed.empty() ? 0 : m_Computed.back().distance + std::sqrt(SquaredDistance(p, m_Computed.back()));
  m_Computed.push_back(p);
}

void CPath::Rebuild() {
  m_Computed.clear();
  if (m_Kind == PATH_SMOOTH) {
    BuildSmooth();
  } else {
    for (const RPathPoint& p : m_Points) AppendComputed(At(p));
    if (m_Closed && !m_Points.empty()) AppendComputed(At(m_Points.front()));
  }
  m_Length = m_Computed.empty() ? 0 : m_Computed.back().distance;
}

// Each corner is replaced by a quadratic curve from the middle of the edge
// before it to the middle of the edge after it, the corner as control point.
void CPath::BuildSmooth() {
  const int32_t c = Count();
  if (c < 1) return;
  auto point = [&](int32_t i) { return At(m_Points[i % c]); };
  if (!m_Closed) AppendComputed(point(0));
  const int32_t last = m_Closed ? c - 1 : c - 3;
  for (int32_t n = 0; n <= last; n++) {
    const RPathComputed p0 = point(n), p1 = point(n + 1), p2 = point(n + 2);
    Refine(m_Precision, Average(p0, p1), p1, Average(p1, p2));
  }
  if (!m_Closed) {
    AppendComputed(point(c - 1));
  } else if (!m_Computed.empty()) {
    // Precision 0 refines nothing: a closed curve then has no points at all.
    AppendComputed(m_Computed.front());
  }
}

void CPath::Refine(int32_t depth, const RPathComputed& a, const RPathComputed& k, const RPathComputed& b) {
  if (depth == 0) return;
  const RPathComputed m{(a.x + 2 * k.x + b.x) / 4, (a.y + 2 * k.y + b.y) / 4, (a.speed + 2 * k.speed + b.speed) / 4,
                        0};
  if (SquaredDistance(k, a) > kRefineLimit) Refine(depth - 1, a, Average(a, k), m);
  AppendComputed(m);
  if (SquaredDistance(k, b) > kRefineLimit) Refine(depth - 1, m, Average(k, b), b);
}

RPathPosition CPath::PositionAt(double t) const {
  const int32_t n = ComputedCount();
  if (n < 1) return {};
  const RPathComputed& first = m_Computed.front();
  if (n == 1 || m_Length == 0) return {first.x, first.y, first.speed};
  if (!(t >= 0)) t = 0;
  if (t > 1) t = 1;
  if (t == 0) return {first.x, first.y, first.speed};
  const RPathComputed& back = m_Computed.back();
  if (t == 1) return {back.x, back.y, back.speed};
  const double d = m_Length * t;
  // The last point i (at most n - 2) whose successor's distance is <= d:
  // distances never decrease, so a binary search finds it.
  auto after = std::upper_bound(m_Computed.begin() + 1, m_Computed.end(), d,
                                [](double v, const RPathComputed& p) { return v < p.distance; });
  const int32_t i = std::min<int32_t>(static_cast<int32_t>(after - (m_Computed.begin() + 1)), n - 2);
  const RPathComputed& p = m_Computed[i];
  const RPathComputed& q = m_Computed[i + 1];
  const double segment = q.distance - p.distance;
  if (segment == 0) return {p.x, p.y, p.speed};
  const double f = (d - p.distance) / segment;
  return {p.x + (q.x - p.x) * f, p.y + (q.y - p.y) * f, p.speed + (q.speed - p.speed) * f};
}
