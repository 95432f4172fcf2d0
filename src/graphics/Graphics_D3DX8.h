// Graphics_D3DX8: the 4 x 4 matrices of projections and world transforms.
// Matrices follow the row-vector convention of the engine's drawing model: a
// point p is transformed as p x M, so A x B applies A first, then B; the
// translation sits in the bottom row. Coordinate systems are left-handed.
#pragma once

#include <cstdint>

struct RMatrix {
  double m[4][4];
};

RMatrix Matrix_Identity();
bool Matrix_IsIdentity(const RMatrix& a);
// a x b: a's transformation first, then b's.
RMatrix Matrix_Multiply(const RMatrix& a, const RMatrix& b);
RMatrix Matrix_Translation(double x, double y, double z);
RMatrix Matrix_Scaling(double x, double y, double z);
// Rotations by `angle` radians, clockwise when looking along the axis
// towards the origin from its positive end in a left-handed system.
RMatrix Matrix_RotationX(double angle);
RMatrix Matrix_RotationY(double angle);
RMatrix Matrix_RotationZ(double angle);
// About the direction (x, y, z); the identity when that has no length.
RMatrix Matrix_RotationAxis(double x, double y, double z, double angle);
// A camera at `eye` looking at `at` with `up` as the top; the identity when
// eye and at coincide or up is parallel to the view.
RMatrix Matrix_LookAtLH(const double eye[3], const double at[3], const double up[3]);
// Perspective by the near plane's window width x height; by the vertical
// field of view (radians) and the aspect ratio width / height.
RMatrix Matrix_PerspectiveLH(double width, double height, double znear, double zfar);
RMatrix Matrix_PerspectiveFovLH(double fovy, double aspect, double znear, double zfar);
RMatrix Matrix_OrthoLH(double width, double height, double znear, double zfar);
// The matrix as 16 floats for the device (column-major of the transposed
// form, which is the row-major order of this one).
void Matrix_ToFloats(const RMatrix& a, float out[16]);
// p x M for a point (w = 1), giving x, y, z after the divide by w.
void Matrix_TransformPoint(const RMatrix& a, const double p[3], double out[3]);
