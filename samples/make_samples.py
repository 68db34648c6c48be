#!/usr/bin/env python3
"""Writes the sample STL files next to this script.

  assembly.stl  ASCII, three solids: a cube, a plate and a hexagonal prism (millimetres)
  ring.stl      binary, one solid: a ring of 64 segments

The shapes are simple on purpose: their triangle counts, areas, volumes and bounding boxes
have closed forms, which the end-to-end tests compare with what the host reports.
"""
import math
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent


def box(x0, y0, z0, x1, y1, z1):
    """Twelve outward-facing triangles of an axis-aligned box."""
    p = [(x, y, z) for z in (z0, z1) for y in (y0, y1) for x in (x0, x1)]
    # Corner index bits: x=1, y=2, z=4. Each quad counter-clockwise seen from outside.
    quads = [(0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)]
    tris = []
    for a, b, c, d in quads:
        tris += [(p[a], p[b], p[c]), (p[a], p[c], p[d])]
    return tris


def polygon(cx, cy, r, n):
    return [(cx + r * math.cos(2 * math.pi * k / n), cy + r * math.sin(2 * math.pi * k / n))
            for k in range(n)]


def prism(cx, cy, r, n, z0, z1):
    """A regular n-gon prism: caps as fans from the first corner, two triangles per side."""
    ring = polygon(cx, cy, r, n)
    tris = []
    for k in range(1, n - 1):
        a, b, c = ring[0], ring[k], ring[k + 1]
        tris.append(((a[0], a[1], z1), (b[0], b[1], z1), (c[0], c[1], z1)))
        tris.append(((a[0], a[1], z0), (c[0], c[1], z0), (b[0], b[1], z0)))
    for k in range(n):
        a, b = ring[k], ring[(k + 1) % n]
        tris.append(((a[0], a[1], z0), (b[0], b[1], z0), (b[0], b[1], z1)))
        tris.append(((a[0], a[1], z0), (b[0], b[1], z1), (a[0], a[1], z1)))
    return tris


def ring(r_in, r_out, n, z0, z1):
    """A ring (tube) of n segments centred on the z axis."""
    outer, inner = polygon(0, 0, r_out, n), polygon(0, 0, r_in, n)
    tris = []
    for k in range(n):
        o0, o1 = outer[k], outer[(k + 1) % n]
        i0, i1 = inner[k], inner[(k + 1) % n]
        tris.append(((o0[0], o0[1], z0), (o1[0], o1[1], z0), (o1[0], o1[1], z1)))  # outside
        tris.append(((o0[0], o0[1], z0), (o1[0], o1[1], z1), (o0[0], o0[1], z1)))
        tris.append(((i0[0], i0[1], z0), (i1[0], i1[1], z1), (i1[0], i1[1], z0)))  # inside
        tris.append(((i0[0], i0[1], z0), (i0[0], i0[1], z1), (i1[0], i1[1], z1)))
        tris.append(((i0[0], i0[1], z1), (o0[0], o0[1], z1), (o1[0], o1[1], z1)))  # top
        tris.append(((i0[0], i0[1], z1), (o1[0], o1[1], z1), (i1[0], i1[1], z1)))
        tris.append(((i0[0], i0[1], z0), (o1[0], o1[1], z0), (o0[0], o0[1], z0)))  # bottom
        tris.append(((i0[0], i0[1], z0), (i1[0], i1[1], z0), (o1[0], o1[1], z0)))
    return tris


def normal(t):
    (ax, ay, az), (bx, by, bz), (cx, cy, cz) = t
    u, v = (bx - ax, by - ay, bz - az), (cx - ax, cy - ay, cz - az)
    n = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
    length = math.sqrt(sum(c * c for c in n))
    return tuple(c / length for c in n)


def write_ascii(path, solids):
    lines = []
    for name, tris in solids:
        lines.append(f"solid {name}")
        for t in tris:
            lines.append("  facet normal %r %r %r" % normal(t))
            lines.append("    outer loop")
            for v in t:
                lines.append("      vertex %r %r %r" % v)
            lines.append("    endloop")
            lines.append("  endfacet")
        lines.append(f"endsolid {name}")
    path.write_text("\n".join(lines) + "\n")


def write_binary(path, header, tris):
    data = bytearray(header.encode().ljust(80, b"\0"))
    data += struct.pack("<I", len(tris))
    for t in tris:
        data += struct.pack("<3f", *normal(t))
        for v in t:
            data += struct.pack("<3f", *v)
        data += b"\0\0"
    path.write_bytes(bytes(data))


if __name__ == "__main__":
    write_ascii(HERE / "assembly.stl", [
        ("cube", box(0, 0, 0, 10, 10, 10)),
        ("plate", box(20, 0, 0, 60, 20, 2)),
        ("hex prism", prism(80, 10, 5, 6, 0, 12)),
    ])
    write_binary(HERE / "ring.stl", "ring, 64 segments, binary sample", ring(15, 25, 64, 0, 6))
