// Graphics_Draw: the drawing state the drawing built-ins share (colour,
// alpha, circle precision, the primitive being built) and the shapes they
// draw. Colours are 0xBBGGRR; positions are room pixels, not offset by half a
// pixel.
#pragma once

#include <cstdint>
#include <span>

// The drawing colour and alpha (0 to 1); black and opaque at start.
int32_t Draw_Colour();
void Draw_SetColour(int32_t colour);
double Draw_Alpha();
// Clamped to 0 ... 1.
void Draw_SetAlpha(double alpha);

// Points on circles and ellipses: a multiple of 4 from 4 to 64 (24 at start).
int32_t Draw_CirclePrecision();
// Limited to 4 ... 64 and rounded down to a multiple of 4.
void Draw_SetCirclePrecision(int32_t n);

void Draw_Point(double x, double y, int32_t colour, double alpha);
// A line from colour c1 to c2; with a width above 0, a quad of that width.
void Draw_Line(double x1, double y1, double x2, double y2, int32_t c1, int32_t c2, double alpha);
// One line strip through the points, given as x, y pairs.
void Draw_LineStrip(std::span<const double> xy, int32_t colour, double alpha);
void Draw_LineWidth(double x1, double y1, double x2, double y2, double width, int32_t c1, int32_t c2, double alpha);
// Corner colours: top-left, top-right, bottom-right, bottom-left. A maximum
// that is a whole number reaches 0.01 further, covering its column or row.
void Draw_Rectangle(double x1, double y1, double x2, double y2, const int32_t colours[4], double alpha, bool outline);
void Draw_Triangle(double x1, double y1, double x2, double y2, double x3, double y3, int32_t c1, int32_t c2,
                   int32_t c3, double alpha, bool outline);
// The ellipse inside the rectangle: centre colour, rim colour.
void Draw_Ellipse(double x1, double y1, double x2, double y2, int32_t centre, int32_t rim, double alpha, bool outline);
void Draw_RoundRect(double x1, double y1, double x2, double y2, int32_t centre, int32_t rim, double alpha,
                    bool outline);
void Draw_Arrow(double x1, double y1, double x2, double y2, double size);
void Draw_Button(double x1, double y1, double x2, double y2, bool up);
// amount 0 ... 100; direction 0 from the left, 1 right, 2 top, 3 bottom.
void Draw_Healthbar(double x1, double y1, double x2, double y2, double amount, int32_t back, int32_t low,
                    int32_t high, int32_t direction, bool show_back, bool show_border);

// The user's primitive: kind 1 to 6 (point list ... triangle fan), an
// optional texture, at most 1001 vertices; End draws it.
void Draw_PrimitiveBegin(int32_t kind, int32_t texture);
void Draw_Vertex(double x, double y, double u, double v, int32_t colour, double alpha);
void Draw_PrimitiveEnd();

// Colour arithmetic.
int32_t Colour_Merge(int32_t a, int32_t b, double amount);
int32_t Colour_FromHsv(double h, double s, double v);
int32_t Colour_Hue(int32_t colour);
int32_t Colour_Saturation(int32_t colour);
int32_t Colour_Value(int32_t colour);
