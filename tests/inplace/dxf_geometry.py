#!/usr/bin/python3
"""dxf_geometry.py FILE: what a CAD library (ezdxf) reads in a drawing, a line each, for the
tests of the in-place rewrite: "E handle type layer space" per entity (space: model, paper or
block:NAME; a dimension's anonymous block counts as model), then its positions "P handle k x y" (world coordinates), angles "A handle k
degrees", radii "R handle k r" and vectors "V handle k x y"; last "AUDIT n", the errors of
ezdxf's audit of the drawing as read."""
import sys

from ezdxf import recover


def lines(e, space):
    h = e.dxf.handle
    out = [f"E {h} {e.dxftype()} {e.dxf.layer} {space}"]
    ocs = e.ocs() if hasattr(e, "ocs") else None

    def P(k, v, in_ocs=False):
        w = ocs.to_wcs(v) if in_ocs and ocs else v
        out.append(f"P {h} {k} {w[0]!r} {w[1]!r}")

    t = e.dxftype()
    if t == "POINT":
        P(0, e.dxf.location)
    elif t == "LINE":
        P(0, e.dxf.start), P(1, e.dxf.end)
    elif t in ("SOLID", "TRACE"):
        for k, name in enumerate(("vtx0", "vtx1", "vtx2", "vtx3")):
            P(k, e.dxf.get(name), True)
    elif t == "3DFACE":
        for k, name in enumerate(("vtx0", "vtx1", "vtx2", "vtx3")):
            P(k, e.dxf.get(name))
    elif t == "LWPOLYLINE":
        for k, p in enumerate(e.get_points("xy")):
            P(k, p, True)
    elif t == "POLYLINE":
        for k, v in enumerate(e.vertices):
            P(k, v.dxf.location, True)
    elif t in ("CIRCLE", "ARC"):
        P(0, e.dxf.center, True)
        out.append(f"R {h} 0 {e.dxf.radius!r}")
        if t == "ARC":
            out.append(f"A {h} 0 {e.dxf.start_angle!r}")
            out.append(f"A {h} 1 {e.dxf.end_angle!r}")
    elif t == "ELLIPSE":
        P(0, e.dxf.center)
        out.append(f"V {h} 0 {e.dxf.major_axis[0]!r} {e.dxf.major_axis[1]!r} scaled")
    elif t in ("TEXT", "ATTRIB", "ATTDEF"):
        P(0, e.dxf.insert, True)
        vertical = e.dxf.get("valign", 0)
        if e.dxf.get("halign", 0) or vertical:
            P(1, e.dxf.align_point, True)
        if e.dxf.hasattr("rotation"):
            out.append(f"A {h} 0 {e.dxf.rotation!r}")
    elif t == "INSERT":
        P(0, e.dxf.insert, True)
        if e.dxf.hasattr("rotation"):  # one the file leaves out stays out
            out.append(f"A {h} 0 {e.dxf.rotation!r}")
        for a in e.attribs:
            out.extend(lines(a, space))
    elif t == "MTEXT":
        P(0, e.dxf.insert)
        if e.dxf.hasattr("text_direction"):
            d = e.dxf.text_direction
            out.append(f"V {h} 0 {d[0]!r} {d[1]!r} turned")
    elif t == "LEADER":
        for k, v in enumerate(e.vertices):
            P(k, v)
    elif t == "SPLINE":
        for k, v in enumerate(e.control_points):
            P(k, v)
        for k, v in enumerate(e.fit_points):
            P(100 + k, v)
        for k, name in enumerate(("start_tangent", "end_tangent")):
            if e.dxf.hasattr(name):
                v = e.dxf.get(name)
                out.append(f"V {h} {k} {v[0]!r} {v[1]!r} turned")
    elif t == "HATCH":
        k = 0
        for path in e.paths:
            if hasattr(path, "vertices"):
                for v in path.vertices:
                    P(k, (v[0], v[1], e.dxf.elevation[2]), True)
                    k += 1
                continue
            for edge in path.edges:
                kind = type(edge).__name__
                if kind == "LineEdge":
                    P(k, (*edge.start, 0), True), P(k + 1, (*edge.end, 0), True)
                    k += 2
                elif kind == "ArcEdge":
                    P(k, (*edge.center, 0), True)
                    out.append(f"R {h} {k} {edge.radius!r}")
                    out.append(f"A {h} {k} {edge.start_angle!r}")
                    out.append(f"A {h} {k + 1} {edge.end_angle!r}")
                    k += 2
                elif kind == "EllipseEdge":
                    P(k, (*edge.center, 0), True)
                    out.append(f"V {h} {k} {edge.major_axis[0]!r} {edge.major_axis[1]!r} scaled")
                    k += 1
        for seed in e.seeds:
            P(k, (seed[0], seed[1], 0), True)
            k += 1
    elif t == "DIMENSION":
        for k, name in enumerate(("defpoint", "text_midpoint", "defpoint2", "defpoint3",
                                  "defpoint4", "defpoint5")):
            if e.dxf.hasattr(name):
                P(k, e.dxf.get(name))
        for k, name in enumerate(("angle", "horizontal_direction", "text_rotation")):
            if e.dxf.hasattr(name):
                out.append(f"A {h} {k} {e.dxf.get(name)!r}")
    elif t in ("IMAGE", "WIPEOUT"):
        P(0, e.dxf.insert)
        for k, name in enumerate(("u_pixel", "v_pixel")):
            v = e.dxf.get(name)
            out.append(f"V {h} {k} {v[0]!r} {v[1]!r} scaled")
    return out


doc, auditor = recover.readfile(sys.argv[1])
result = []
for e in doc.modelspace():
    result += lines(e, "model")
for layout in doc.layouts:
    if layout.name != "Model":
        for e in layout:
            result += lines(e, "paper")
for block in doc.blocks:
    if not block.name.lower().startswith(("*model_space", "*paper_space")):
        # A dimension's anonymous block is drawn in world coordinates, as the model space.
        world = block.name.upper().startswith("*D") and block.block.dxf.flags & 1
        for e in block:
            result += lines(e, "model" if world else "block:" + block.name)
result.append(f"AUDIT {len(auditor.errors) + len(doc.audit().errors)}")
print("\n".join(result))
