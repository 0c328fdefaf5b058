#include "zone_shapes.h"

#include "bconcentricsector.h"
#include "bellipse.h"
#include "bpolygon.h"
#include "brectangle.h"

BGraphicsItem* createZoneShape(const ZoneEntry& entry, int uuid, const ShapeGeometry& geometry,
                               bool highlight) {
    switch (entry.type) {
        case ZoneShapePolygon:
        case ZoneShapeFilter:
            return BPolygon::fromEntry(entry, uuid, geometry, highlight);
        case ZoneShapeRectangle:
            return BRectangle::fromEntry(entry, uuid, geometry, highlight);
        case ZoneShapeEllipse:
            return BEllipse::fromEntry(entry, uuid, geometry, highlight);
        case ZoneShapeSector:
            return BConcentricSector::fromEntry(entry, uuid, geometry, highlight);
        default:
            return nullptr;
    }
}
