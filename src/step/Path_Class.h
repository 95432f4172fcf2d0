// Path_Class: CPath, a path resource. Defining points (position and a
// relative speed) make a polyline, straight or smoothed, open or closed; the
// path answers where the point at a fraction of its length lies.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "data/DataNew_Class.h"

// A point on the polyline with the distance along it from the first point.
struct RPathComputed {
  double x = 0, y = 0, speed = 0;
  double distance = 0;
};

// Where a fraction of the length lies, and the relative speed there.
struct RPathPosition {
  double x = 0, y = 0, speed = 100;
};

enum : int32_t { PATH_STRAIGHT = 0, PATH_SMOOTH = 1 };
constexpr int32_t PATH_MAX_PRECISION = 8;

class CPath {
 public:
  // ---- Definition ----

  // Straight, closed, precision 4, no points.
  CPath() = default;
  // Kind, closed, precision and points of `other`; a copy of itself changes
  // nothing.
  void CopyFrom(const CPath& other);
  // Takes a game file record; coordinates that are not finite numbers (a
  // damaged file) become 0 so that nothing downstream sees them.
  void LoadFrom(const RPathRecord& record);
  void ClearPoints();

  int32_t Kind() const { return m_Kind; }
  bool Closed() const { return m_Closed; }
  int32_t Precision() const { return m_Precision; }
  // A kind other than smooth is straight; the precision is held to 0 ... 8.
  void SetKind(int32_t kind);
  void SetClosed(bool closed);
  void SetPrecision(int32_t precision);

  int32_t Count() const { return static_cast<int32_t>(m_Points.size()); }
  // The defining point, or (0, 0) with speed 1 outside the range.
  RPathPoint Point(int32_t i) const;
  const std::vector<RPathPoint>& Points() const { return m_Points; }
  void AddPoint(double x, double y, double speed);
  // i from 0 to Count(); others are ignored.
  void InsertPoint(int32_t i, double x, double y, double speed);
  // i inside the range; others are ignored.
  void ChangePoint(int32_t i, double x, double y, double speed);
  void DeletePoint(int32_t i);
  // The other path's points after this one's (this path's kind, closed and
  // precision stay). Appending a path to itself doubles its points.
  void Append(const CPath& other);
  // Makes the path a straight open polyline through the points, with one
  // rebuild; the planners hand over whole routes this way.
  void SetPolyline(std::span<const RPathPoint> points);

  // ---- Transformations about the middle of the points' bounding box ----

  void Reverse();
  void Mirror();
  void Flip();
  // Degrees, counter-clockwise on screen.
  void Rotate(double angle);
  void Scale(double xscale, double yscale);
  void Shift(double xshift, double yshift);

  // ---- The computed polyline ----

  // Distance at the last computed point; 0 without points.
  double Length() const { return m_Length; }
  int32_t ComputedCount() const { return static_cast<int32_t>(m_Computed.size()); }
  const RPathComputed& Computed(int32_t i) const { return m_Computed[i]; }
  // The point at fraction t of the length (t held to 0 ... 1); (0, 0) with
  // speed 100 without computed points.
  RPathPosition PositionAt(double t) const;

 private:
  // Recomputes the polyline and its distances; every change ends here, so
  // readers never see a stale polyline.
  void Rebuild();
  // Adds a computed point with its distance from the last one.
  void AppendComputed(RPathComputed p);
  void BuildSmooth();
  void Refine(int32_t depth, const RPathComputed& a, const RPathComputed& k, const RPathComputed& b);
  // The middle of the points' bounding box.
  void Centre(double& cx, double& cy) const;

  std::vector<RPathPoint> m_Points;
  int32_t m_Kind = PATH_STRAIGHT;
  bool m_Closed = true;
  int32_t m_Precision = 4;
  std::vector<RPathComputed> m_Computed;
  double m_Length = 0;
};
