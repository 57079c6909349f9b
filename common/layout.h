// Geometry inside windows as fixed fractions of the client size.
#pragma once

namespace suite {

struct Rect {
    int x, y, width, height;
};

// A fraction of a client dimension, truncated toward zero.
inline int Fraction(int size, double fraction) { return static_cast<int>(size * fraction); }

// A rectangle whose position and size are fractions of a client of w x h.
inline Rect FractionRect(int w, int h, double fx, double fy, double fw, double fh) {
    return Rect{Fraction(w, fx), Fraction(h, fy), Fraction(w, fw), Fraction(h, fh)};
}

}  // namespace suite
