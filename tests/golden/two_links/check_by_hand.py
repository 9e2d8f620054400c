#!/usr/bin/env python3
"""Independent recomputation of the two-link example's figures.

Two parallel type-1 links 0->1 (t0 10 and 20, capacity 50 and 80, a 0.15,
b 4) carry 100 trips. Every single-precision operation of the solver is
mimicked with an explicit rounding to float32 (struct), every double one in
Python floats, so the printed digits of output.txt and result.txt can be
checked without the program. Prints the figures the golden files must show.
"""
import math
import struct


def f(x):
    """Round a Python float to the nearest IEEE single-precision value."""
    return struct.unpack("f", struct.pack("f", x))[0]


T0 = [f(10), f(20)]
C = [f(50), f(80)]
A = f(0.15)
B = f(4)


def cost(l, v):
    return f(T0[l] * (A * math.pow(f(v / C[l]), B) + 1.0))


def objective(vol):
    z = f(0)
    for l in range(2):
        t0v = f(T0[l] * vol[l])
        coef = f(A / f(1 + B))
        z = f(z + t0v * (coef * math.pow(f(vol[l] / C[l]), B) + 1.0))
    return z


def differential(step, l, v, y):
    d = f(y - v)
    x = f(f(step * d) + v)
    return f(f(T0[l] * d) * (A * math.pow(f(x / C[l]), B) + 1.0))


def bisection(v, y):
    lo, hi, width, mid, dif = f(0), f(1), f(1), f(0), f(0)
    while width > 0.000001:
        mid = f(f(lo + hi) / 2)
        dif = f(0)
        for l in range(2):
            dif = f(dif + differential(mid, l, v[l], y[l]))
        if dif < 0:
            lo = mid
        else:
            hi = mid
        width = max(f(hi - lo), f(lo - hi))
    return mid, dif


vol = [f(100), f(0)]  # zero-volume costs 10 and 20: all trips on link 0
print("iteration 0 objective %.2f" % objective(vol))
trans = f(0.01 + 1)
for it in (1, 2):
    costs = [cost(0, vol[0]), cost(1, vol[1])]
    y = [f(100), f(0)] if costs[0] <= costs[1] else [f(0), f(100)]
    theta, dif = bisection(vol, y)
    trans = f(0)
    for l in range(2):
        vol[l] = f(f(f(y[l] - vol[l]) * theta) + vol[l])
        moved = f(theta * f(y[l] - vol[l]))
        trans = f(trans + abs(moved))
    print("iteration %d objective %.2f theta %.5f dif_theta %.5f transferred %.2f"
          % (it, objective(vol), theta, dif, trans))
print("volumes %.6f %.6f costs %.4f %.4f objective %.3f"
      % (vol[0], vol[1], cost(0, vol[0]), cost(1, vol[1]), objective(vol)))
