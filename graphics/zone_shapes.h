#pragma once
// The shape item that stands for one zone entry (ellipse, rectangle, sector,
// polygon or filter polygon). GUI thread only.

#include "bqgraphicsitem.h"
#include "zone_types.h"

// A new item for `entry` (null for an unknown shape code), not yet in a
// scene. A polygon entry without points gives an open polygon to be drawn.
BGraphicsItem* createZoneShape(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                               bool highlight);
