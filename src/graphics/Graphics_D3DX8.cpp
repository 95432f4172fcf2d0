#include "graphics/Graphics_D3DX8.h"

#include <cmath>

namespace {

void Normalise(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length > 0)
    for (int i = 0; i < 3; ++i) v[i] /= length;
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

RMatrix Zero() { return RMatrix{}; }

}  // namespace

RMatrix Matrix_Identity() {
  RMatrix r = Zero();
  for (int i = 0; i < 4; ++i) r.m[i][i] = 1;
  return r;
}

bool Matrix_IsIdentity(const RMatrix& a) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (a.m[i][j] != (i == j ? 1.0 : 0.0)) return false;
  return true;
}

RMatrix Matrix_Multiply(const RMatrix& a, const RMatrix& b) {
  RMatrix r = Zero();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  return r;
}

RMatrix Matrix_Translation(double x, double y, double z) {
  RMatrix r = Matrix_Identity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

RMatrix Matrix_Scaling(double x, double y, double z) {
  RMatrix r = Matrix_Identity();
  r.m[0][0] = x;
  r.m[1][1] = y;
  r.m[2][2] = z;
  return r;
}

namespace {

// A rotation in the plane of axes i and j, turning i towards j.
RMatrix PlaneRotation(int i, int j, double angle) {
  RMatrix r = Matrix_Identity();
  const double c = std::cos(angle), s = std::sin(angle);
  r.m[i][i] = c;
  r.m[i][j] = s;
  r.m[j][i] = -s;
  r.m[j][j] = c;
  return r;
}

}  // namespace

RMatrix Matrix_RotationX(double angle) { return PlaneRotation(1, 2, angle); }
RMatrix Matrix_RotationY(double angle) { return PlaneRotation(2, 0, angle); }
RMatrix Matrix_RotationZ(double angle) { return PlaneRotation(0, 1, angle); }

RMatrix Matrix_RotationAxis(double x, double y, double z, double angle) {
  double v[3] = {x, y, z};
  // A zero axis names no rotation: turning about it would only scale.
  if (Dot(v, v) == 0 || !std::isfinite(Dot(v, v))) return Matrix_Identity();
  Normalise(v);
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  RMatrix r = Matrix_Identity();
  r.m[0][0] = t * v[0] * v[0] + c;
  r.m[0][1] = t * v[0] * v[1] + s * v[2];
  r.m[0][2] = t * v[0] * v[2] - s * v[1];
  r.m[1][0] = t * v[0] * v[1] - s * v[2];
  r.m[1][1] = t * v[1] * v[1] + c;
  r.m[1][2] = t * v[1] * v[2] + s * v[0];
  r.m[2][0] = t * v[0] * v[2] + s * v[1];
  r.m[2][1] = t * v[1] * v[2] - s * v[0];
  r.m[2][2] = t * v[2] * v[2] + c;
  return r;
}

RMatrix Matrix_LookAtLH(const double eye[3], const double at[3], const double up[3]) {
  double z[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]};
  double x[3], y[3];
  Normalise(z);
  Cross(up, z, x);
  Normalise(x);
  Cross(z, x, y);
  // A camera without a direction or without a top would fill the matrix with
  // zeros and show nothing; keep the picture instead.
  if (Dot(z, z) == 0 || Dot(x, x) == 0) return Matrix_Identity();
  RMatrix r = Matrix_Identity();
  for (int i = 0; i < 3; ++i) {
    r.m[i][0] = x[i];
    r.m[i][1] = y[i];
    r.m[i][2] = z[i];
  }
  r.m[3][0] = -Dot(x, eye);
  r.m[3][1] = -Dot(y, eye);
  r.m[3][2] = -Dot(z, eye);
  return r;
}

RMatrix Matrix_PerspectiveLH(double width, double height, double znear, double zfar) {
  RMatrix r = Zero();
  r.m[0][0] = 2 * znear / width;
  r.m[1][1] = 2 * znear / height;
  r.m[2][2] = zfar / (zfar - znear);
  r.m[2][3] = 1;
  r.m[3][2] = znear * zfar / (znear - zfar);
  return r;
}

RMatrix Matrix_PerspectiveFovLH(double fovy, double aspect, double znear, double zfar) {
  RMatrix r = Zero();
  const double y_scale = 1 / std::tan(fovy / 2);
  r.m[0][0] = y_scale / aspect;
  r.m[1][1] = y_scale;
  r.m[2][2] = zfar / (zfar - znear);
  r.m[2][3] = 1;
  r.m[3][2] = -znear * zfar / (zfar - znear);
  return r;
}

RMatrix Matrix_OrthoLH(double width, double height, double znear, double zfar) {
  RMatrix r = Matrix_Identity();
  r.m[0][0] = 2 / width;
  r.m[1][1] = 2 / height;
  r.m[2][2] = 1 / (zfar - znear);
  r.m[3][2] = znear / (znear - zfar);
  return r;
}

void Matrix_ToFloats(const RMatrix& a, float out[16]) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out[i * 4 + j] = static_cast<float>(a.m[i][j]);
}

void Matrix_TransformPoint(const RMatrix& a, const double p[3], double out[3]) {
  double r[4];
  for (int j = 0; j < 4; ++j) r[j] = p[0] * a.m[0][j] + p[1] * a.m[1][j] + p[2] * a.m[2][j] + a.m[3][j];
  const double w = r[3] == 0 ? 1 : r[3];
  for (int j = 0; j < 3; ++j) out[j] = r[j] / w;
}
