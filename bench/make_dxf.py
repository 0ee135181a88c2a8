#!/usr/bin/python3
"""make_dxf.py FILE [--version R12|R2000|R2018] [--crlf] [--cp1250] [--vertices N]
[--clockwise-hatch] [--dimension]: writes a CAD drawing of a map through ezdxf (Debian's
python3-ezdxf, a CAD library), for the in-place rewrite's tests and benchmark.

The drawing lies in the "2000" zone 6 around the demo's map (X easting, Y northing) and
holds, in the model space: a POINT, a LINE, a SOLID, a TRACE, a 3DFACE, a closed 2D
POLYLINE with its VERTEXes and bulges, a CIRCLE, an ARC, a left-justified and a centred
TEXT, an INSERT of a block with an ATTDEF and its ATTRIB, a CIRCLE with the extrusion -Z; from
R2000 on also a closed LWPOLYLINE, an ELLIPSE, an MTEXT, a LEADER, a SPLINE with fit points
and tangents, an IMAGE, a WIPEOUT and a HATCH of a polyline path with a bulge and an edge
path of a line, an arc and an elliptic arc, with a seed point; a TEXT in paper space. With --cp1250 the texts carry
Polish letters in the code page ANSI_1250 (R12 and R2000; R2018 is always UTF-8). With
--vertices N, LWPOLYLINEs (R2000 on) of 1,000 vertices a row, N vertices in all, over the
4 km square of the benchmark folder instead. --dimension adds a linear DIMENSION with its anonymous block;
--clockwise-hatch a HATCH with a clockwise arc edge, which the rewrite refuses. Deterministic: the same arguments, the same bytes
(ezdxf's handles are numbered in order; its fixed meta data for tests holds the times and
GUIDs still).
"""
import argparse
import os
import sys

# ezdxf writes some tables in the order of Python's sets of strings: a fixed hash seed keeps
# that order from run to run.
if os.environ.get("PYTHONHASHSEED") != "0":
    os.environ["PYTHONHASHSEED"] = "0"
    os.execv(sys.executable, [sys.executable] + sys.argv)

import ezdxf  # noqa: E402

E0, N0 = 7456700.0, 5567400.0


def map_entities(doc, msp, polish, version):
    msp.add_point((E0 + 1.25, N0 + 2.5), dxfattribs={"layer": "PUNKTY"})
    msp.add_line((E0, N0), (E0 + 25.5, N0 + 3.25), dxfattribs={"layer": "GRANICE"})
    msp.add_solid([(E0 + 30, N0), (E0 + 32, N0), (E0 + 30, N0 + 2), (E0 + 32, N0 + 2)])
    msp.add_trace([(E0 + 35, N0), (E0 + 37, N0), (E0 + 35, N0 + 1), (E0 + 37, N0 + 1)])
    msp.add_3dface([(E0 + 40, N0, 1), (E0 + 42, N0, 1), (E0 + 42, N0 + 2, 2), (E0 + 40, N0 + 2, 2)])
    poly = msp.add_polyline2d(
        [(E0, N0 + 10), (E0 + 10, N0 + 10), (E0 + 10, N0 + 20), (E0, N0 + 20)],
        dxfattribs={"layer": "DZIALKI"},
    )
    poly.close(True)
    poly.vertices[1].dxf.bulge = 0.25
    msp.add_circle((E0 + 5, N0 + 15), radius=1.5, dxfattribs={"layer": "PUNKTY"})
    msp.add_arc((E0 + 15, N0 + 15), radius=3.25, start_angle=10, end_angle=135)
    label = "Działka 12/3 – łąka" if polish else "12/3"
    msp.add_text(label, dxfattribs={"insert": (E0 + 2, N0 + 12), "height": 2.5, "rotation": 30,
                                    "layer": "OPISY"})
    centred = msp.add_text("Żółć" if polish else "ZOLC", dxfattribs={"height": 1.5, "rotation": 355.5})
    centred.set_placement((E0 + 6, N0 + 18), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    block = doc.blocks.new("ZNAK")
    block.add_circle((0, 0), radius=0.5)
    block.add_attdef("NR", (0.6, 0.1), dxfattribs={"height": 0.8})
    insert = msp.add_blockref("ZNAK", (E0 + 20, N0 + 25), dxfattribs={"rotation": 45})
    insert.add_auto_attribs({"NR": "Ł-17" if polish else "17"})
    msp.add_circle((-(E0 + 8), N0 + 8), radius=0.75, dxfattribs={"extrusion": (0, 0, -1)})
    if version != "R12":
        msp.add_lwpolyline(
            [(E0 + 50, N0), (E0 + 70, N0, 0, 0, 0.5), (E0 + 70, N0 + 15), (E0 + 50, N0 + 15)],
            format="xyseb", close=True, dxfattribs={"layer": "DZIALKI"})
        msp.add_ellipse((E0 + 60, N0 + 30), major_axis=(4, 1.5), ratio=0.4)
        mtext = msp.add_mtext("Obręb 0003\\PArkusz 2" if polish else "0003\\P2",
                              dxfattribs={"char_height": 2.0})
        mtext.set_location((E0 + 45, N0 + 40), rotation=15)
        msp.add_leader([(E0 + 80, N0), (E0 + 85, N0 + 5), (E0 + 90, N0 + 5)])
        spline = msp.add_spline([(E0 + 95, N0), (E0 + 97, N0 + 3), (E0 + 100, N0 + 2)])
        spline.dxf.start_tangent = (1, 1, 0)
        spline.dxf.end_tangent = (1, -0.5, 0)
        image_def = doc.add_image_def(filename="ortofoto.tif", size_in_pixel=(640, 480))
        msp.add_image(image_def, insert=(E0 + 110, N0), size_in_units=(64, 48), rotation=5)
        msp.add_wipeout([(E0 + 120, N0), (E0 + 125, N0), (E0 + 125, N0 + 4)])
        hatch = msp.add_hatch(color=3, dxfattribs={"layer": "KRESKOWANIE"})
        hatch.paths.add_polyline_path([(E0 + 130, N0), (E0 + 140, N0, 0.5), (E0 + 140, N0 + 8)])
        edges = hatch.paths.add_edge_path()
        edges.add_line((E0 + 150, N0), (E0 + 160, N0))
        edges.add_arc((E0 + 155, N0), radius=5, start_angle=0, end_angle=180)
        edges.add_ellipse((E0 + 170, N0), major_axis=(4, 1), ratio=0.5, start_angle=0,
                          end_angle=180)
        hatch.set_seed_points([(E0 + 135, N0 + 2)])
    doc.layout("Layout1").add_text("ARKUSZ", dxfattribs={"insert": (10, 10), "height": 5})


def big_polylines(msp, vertices):
    # A polyline a row, rows 4 m apart, a vertex every 4 m, over the 4 km square from
    # (7455000, 5566000).
    per_row = 1000
    for row in range((vertices + per_row - 1) // per_row):
        count = min(per_row, vertices - row * per_row)
        points = [(round(7455000.37 + column * 4.0, 2), round(5566000.21 + row * 4.0, 2))
                  for column in range(count)]
        msp.add_lwpolyline(points, dxfattribs={"layer": "DZIALKI"})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--version", default="R2018", choices=["R12", "R2000", "R2018"])
    parser.add_argument("--crlf", action="store_true")
    parser.add_argument("--cp1250", action="store_true")
    parser.add_argument("--vertices", type=int, default=0)
    parser.add_argument("--clockwise-hatch", action="store_true")
    parser.add_argument("--dimension", action="store_true")
    args = parser.parse_args()
    # The same times, GUIDs and handles every run.
    ezdxf.options.write_fixed_meta_data_for_testing = True
    doc = ezdxf.new(args.version, setup=False)
    if args.cp1250 and args.version != "R2018":
        doc.header["$DWGCODEPAGE"] = "ANSI_1250"
    msp = doc.modelspace()
    if args.vertices:
        big_polylines(msp, args.vertices)
    else:
        map_entities(doc, msp, args.cp1250 or args.version == "R2018", args.version)
    if args.clockwise_hatch:
        hatch = msp.add_hatch(color=3)
        path = hatch.paths.add_edge_path()
        path.add_line((E0, N0 - 10), (E0 + 10, N0 - 10))
        path.add_arc((E0 + 5, N0 - 10), radius=5, start_angle=0, end_angle=180, ccw=False)
    if args.dimension:
        msp.add_linear_dim(base=(E0, N0 - 20), p1=(E0, N0 - 25), p2=(E0 + 10, N0 - 25)).render()
    doc.header["$EXTMIN"] = (E0 - 200, N0 - 200, 0)
    doc.header["$EXTMAX"] = (E0 + 200, N0 + 200, 0)
    doc.saveas(args.file, encoding="cp1250" if args.cp1250 and args.version != "R2018" else None)
    if args.crlf:
        with open(args.file, "rb") as f:
            data = f.read()
        with open(args.file, "wb") as f:
            f.write(data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))


if __name__ == "__main__":
    main()
