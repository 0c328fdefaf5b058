// Page_lidar: the zone controls (read, write, switch, copy, clear, export,
// offline import, direction, resolution presets) and the zone shapes drawn
// over the scan.

#include <QAction>
#include <QDebug>
#include <QFileDialog>
#include <QMenu>
#include <QSignalBlocker>
#include <cmath>
#include <cstring>
#include <limits>

#include "bpolygon.h"
#include "bqgraphicsitem.h"
#include "dialog_resolutionview.h"
#include "page_drawzone.h"
#include "page_lidar.h"
#include "page_span.h"
#include "param_file.h"
#include "settings.h"
#include "ui_page_lidar.h"
#include "zone_image.h"
#include "zone_shapes.h"
#include "zonealarm.h"

namespace {

const char kZoneDigits[] = "0123456789ABCDEF";

const char* const kDefaultPresetNames[] = {"Hand Detection", "Arm Detection", "Leg Detection"};
const char* const kDefaultPresetValues[] = {"4000", "5000", "6000"};

bool isPolygonType(int type) {
    return type == ZoneShapePolygon || type == ZoneShapeFilter;
}

}  // namespace

ZoneAlarm& Page_lidar::offlineZones() {
    if (!m_offline) m_offline = std::make_unique<ZoneAlarm>();
    return *m_offline;
}

// ---------------------------------------------------------------- menus and presets

void Page_lidar::buildZoneMenus() {
    for (QToolButton* button : {ui->pb_copyzone, ui->pb_clearzone}) {
        QMenu* menu = button->menu();
        if (!menu) {
            menu = new QMenu(button);
            button->setMenu(menu);
        }
        menu->clear();
        for (int z = 0; z < kZoneCount; ++z) menu->addAction(QString(QLatin1Char(kZoneDigits[z])));
        menu->addAction(tr("All"));
    }
}

int Page_lidar::zoneOfAction(const QAction* action) {
    const QString text = action ? action->text() : QString();
    if (text.size() != 1) return -1;  // "All"
    const char* at = std::strchr(kZoneDigits, text.at(0).toLatin1());
    return at && *at ? int(at - kZoneDigits) : -1;
}

void Page_lidar::loadPresets() {
    Settings& settings = Settings::instance();
    const QString names = QString::fromStdString(settings.Read("Mapview", "Names"));
    const QString values = QString::fromStdString(settings.Read("Mapview", "Values"));
    m_presetNames.clear();
    m_presetValues.clear();
    if (!names.isEmpty()) {
        const QStringList n = names.split(QLatin1Char('|'));
        const QStringList v = values.split(QLatin1Char('|'));
        // A stored list cut short keeps only the complete pairs.
        for (int i = 0; i < std::min(n.size(), v.size()); ++i) {
            m_presetNames << n[i];
            m_presetValues << v[i];
        }
    }
    if (m_presetNames.isEmpty()) {
        for (const char* name : kDefaultPresetNames) m_presetNames << QString::fromLatin1(name);
        for (const char* value : kDefaultPresetValues) m_presetValues << QString::fromLatin1(value);
    }
    rebuildResolutionMenu();
}

void Page_lidar::rebuildResolutionMenu() {
    QMenu* menu = ui->tb_resolution->menu();
    if (!menu) {
        menu = new QMenu(ui->tb_resolution);
        ui->tb_resolution->setMenu(menu);
    }
    menu->clear();
    menu->addAction(tr("custom"))->setData(QStringLiteral("custom"));
    menu->addAction(tr("reset"))->setData(QStringLiteral("reset"));
    for (int i = 0; i < m_presetNames.size(); ++i) menu->addAction(m_presetNames[i])->setData(i);
}

void Page_lidar::on_tb_resolution_triggered(QAction* action) {
    if (!action) return;
    const QVariant data = action->data();
    if (data.toString() == QLatin1String("custom")) {
        if (!m_resolutionDialog) {
            m_resolutionDialog = new Dialog_ResolutionView(this);
            connect(m_resolutionDialog, &Dialog_ResolutionView::sig_map, this, &Page_lidar::recv_map);
        }
        m_resolutionDialog->setMap(m_presetNames, m_presetValues);
        m_resolutionDialog->show();
        m_resolutionDialog->raise();
        return;
    }
    if (data.toString() == QLatin1String("reset")) {
        m_maxDistance = 0;
        return;
    }
    const int index = data.toInt();
    if (index < 0 || index >= m_presetValues.size()) return;
    bool ok = false;
    const uint value = m_presetValues[index].trimmed().toUInt(&ok);
    // Not a number means no limit rather than a bogus one.
    m_maxDistance = ok && value <= uint(std::numeric_limits<int>::max()) ? int(value) : 0;
}

void Page_lidar::recv_map(QStringList names, QStringList values) {
    while (values.size() < names.size()) values << QString();
    m_presetNames = names;
    m_presetValues = values.mid(0, names.size());
    rebuildResolutionMenu();
    Settings& settings = Settings::instance();
    settings.Write("Mapview", "Names", m_presetNames.join(QLatin1Char('|')).toStdString());
    settings.Write("Mapview", "Values", m_presetValues.join(QLatin1Char('|')).toStdString());
}

// ---------------------------------------------------------------- edit and active zone

void Page_lidar::setEditZone(int zone) {
    if (zone < 0 || zone >= kZoneCount) return;
    m_editZone = zone;
    m_drawZone->setZoneNumber(zone);
    {
        const QSignalBlocker block(ui->cb_changezone);
        ui->cb_changezone->setCurrentIndex(zone);
    }
    updateZoneLabels();
    recv_refresh();
}

void Page_lidar::on_cb_changezone_currentIndexChanged(int index) {
    setEditZone(index);
}

void Page_lidar::on_cb_changezone_2_activated(const QString& text) {
    bool ok = false;
    const int zone = text.trimmed().toInt(&ok, 16);
    if (ok) setEditZone(zone);
}

void Page_lidar::on_pb_changezone_clicked() {
    const QString digit = ui->cb_changezone->currentText();
    emit sig_S_PACK(QStringLiteral("LSAZN:%1H").arg(digit));
    m_activeZone = ui->cb_changezone->currentIndex();
    updateZoneLabels();
}

void Page_lidar::on_pb_addzone_clicked() {
    if (!m_panelShown) {
        showSidePanel(true);
        m_drawZone->setZoneNumber(m_editZone);
    }
    ui->tabWidget->setCurrentWidget(ui->tab_draw);
}

// ---------------------------------------------------------------- read, write, copy, clear

void Page_lidar::on_pb_readzone_clicked() {
    emit sig_zoneCmd(1, *m_zones);
    emit sig_data(11, QByteArray("1"));
}

bool Page_lidar::checkForWrite(zones& list) {
    ZoneAlarm& checker = offlineZones();
    for (int i = 0; i < list.count; ++i) {
        QString message;
        if (!checker.validateEntry(list.entries[i], m_maxDistance, &message)) {
            warn(message);
            return false;
        }
    }
    int bytes[kZoneCount] = {};
    for (int i = 0; i < list.count; ++i) {
        const ZoneEntry& e = list.entries[i];
        if (e.zoneId >= 0 && e.zoneId < kZoneCount) bytes[e.zoneId] += 8 * e.pointCount;
    }
    for (int z = 0; z < kZoneCount; ++z) {
        if (bytes[z] <= kZoneBytesLimit) continue;
        qDebug() << "Page_lidar: zone" << z << "holds" << bytes[z] << "bytes of points";
        warn(tr("Zone ID:%1:The number of alarm zones more than the maximum limit!")
                 .arg(QString::number(z, 16).toUpper()));
        return false;
    }
    // The records also carry a header each: a zone whose records still do not
    // fit its slot is refused with the same words, before anything is sent.
    int bad = 0;
    const int status = check_zone_list(list, &bad);
    if (status != kZoneListOk) {
        warn(ZoneAlarm::zoneListRefusal(status, bad));
        return false;
    }
    return true;
}

void Page_lidar::setWorkingZones(const zones& list) {
    *m_zones = list;
    m_drawZone->loadZones(list);
    redrawShapes(false);
}

void Page_lidar::writeZones(const zones& list) {
    const zones written = list.count == 0 ? zones{} : list;
    setWorkingZones(written);
    emit sig_zoneCmd(2, written);
    emit sig_data(11, QByteArray("1"));
}

void Page_lidar::on_pb_setzone_clicked() {
    auto list = std::make_unique<zones>(*m_zones);
    if (!checkForWrite(*list)) return;
    writeZones(*list);
}

void Page_lidar::on_pb_copyzone_triggered(QAction* action) {
    const int target = zoneOfAction(action);
    QVector<ZoneEntry> out;
    QVector<ZoneEntry> copies;
    const zones& z = *m_zones;
    if (target >= 0) {
        for (int i = 0; i < z.count; ++i) {
            const ZoneEntry& e = z.entries[i];
            if (e.zoneId == m_editZone) {
                out << e;
                copies << e;
                copies.last().zoneId = target;
            } else if (e.zoneId != target) {
                out << e;
            }
        }
        out << copies;
    } else {
        for (int zone = 0; zone < kZoneCount; ++zone)
            for (int i = 0; i < z.count; ++i)
                if (z.entries[i].zoneId == m_editZone) {
                    out << z.entries[i];
                    out.last().zoneId = zone;
                }
    }
    if (out.size() > kMaxZoneEntries) {
        warn(tr("The number of alarm zones more than the maximum limit!"));
        return;
    }
    auto list = std::make_unique<zones>();
    list->count = out.size();
    for (int i = 0; i < out.size(); ++i) list->entries[i] = out[i];
    if (!checkForWrite(*list)) return;
    writeZones(*list);
}

void Page_lidar::on_pb_clearzone_triggered(QAction* action) {
    const int target = zoneOfAction(action);
    auto list = std::make_unique<zones>();
    if (target >= 0) {
        for (int i = 0; i < m_zones->count; ++i)
            if (m_zones->entries[i].zoneId != target) list->entries[list->count++] = m_zones->entries[i];
    }
    writeZones(*list);
}

// ---------------------------------------------------------------- export, import, direction

void Page_lidar::on_pb_exportzone_clicked() {
    emit sig_zoneCmd(4, *m_zones);
}

void Page_lidar::on_pb_importzone_clicked() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open File"), QString(), tr("lidar param file (*.lidar)"));
    if (path.isEmpty()) return;
    importZones(path);
}

bool Page_lidar::importZones(const QString& path) {
    const auto contents = read_param_file(path.toStdString());
    bool ok = contents && contents->zoneImage && contents->zoneImage->size() == kZoneDefSize;
    auto image = std::make_unique<ZoneDef>();
    if (ok) {
        std::memcpy(image.get(), contents->zoneImage->data(), kZoneDefSize);
        // A damaged image is refused whole rather than drawn in part.
        ok = zonedef_header_ok(*image) && zonedef_crc(*image) == image->crc;
    }
    ZoneAlarm& decoder = offlineZones();
    decoder.setDirection(m_direction);
    if (ok) ok = decoder.ZoneDefToZones(image.get());
    if (!ok) {
        warn(tr("Off-line import of defense zones failed!"));
        return false;
    }
    m_offlineImported = true;
    setWorkingZones(decoder.getZones());
    return true;
}

void Page_lidar::on_cb_direction_currentIndexChanged(int index) {
    const int direction = index != 0 ? 1 : 0;
    if (direction == m_direction) return;
    m_direction = direction;
    m_item->setMirrored(direction != 0);
    m_drawZone->setMirrored(direction != 0);
    m_span->reset();
    if (m_offlineImported) {
        // The imported image reads differently under the other direction.
        ZoneAlarm& decoder = offlineZones();
        decoder.setDirection(direction);
        if (decoder.ZoneDefToZones()) setWorkingZones(decoder.getZones());
    }
    // The receiver mirrors the images it writes by the same flag.
    emit sig_data(15, QByteArray::number(direction));
}

// ---------------------------------------------------------------- shapes

void Page_lidar::loadZones(const zones& data) {
    setWorkingZones(data);
}

void Page_lidar::recv_zonearg(zones data) {
    *m_zones = data;
    redrawShapes(true);
}

void Page_lidar::recv_filter() {
    m_drawZone->startFilterPolygon();
    recv_refresh();
}

void Page_lidar::recv_refresh() {
    m_refreshPending = true;
}

void Page_lidar::recv_refresh2() {
    if (!m_refreshPending) return;
    m_refreshPending = false;
    redrawShapes(false);
}

void Page_lidar::clearShapes() {
    for (BGraphicsItem* shape : m_shapes) {
        shape->disconnect(this);
        if (shape->scene()) shape->scene()->removeItem(shape);
        delete shape;
    }
    m_shapes.clear();
}

void Page_lidar::redrawShapes(bool warnFar) {
    clearShapes();
    const zones& z = *m_zones;
    QList<QPolygonF> filters;
    for (int i = 0; i < z.count; ++i) {
        const ZoneEntry& e = z.entries[i];
        if (e.type != ZoneShapeFilter || e.zoneId != m_editZone || e.pointCount <= 0) continue;
        QPolygonF polygon;
        for (int p = 0; p < std::min(e.pointCount, kMaxZonePoints); ++p)
            polygon << QPointF(e.points[p].first, -e.points[p].second);
        filters << polygon;
    }
    ShapeGeometry geometry;
    geometry.scale = m_factor;
    geometry.offset = m_sceneOffset;
    geometry.origin = m_origin;
    const bool highlight = ui->cb_bgColorIdx->currentIndex() == 1;
    bool tooFar = false;
    bool drawing = false;
    for (int i = 0; i < z.count; ++i) {
        const ZoneEntry& e = z.entries[i];
        if (e.zoneId != m_editZone) continue;
        const double first4[] = {e.points[0].first, e.points[0].second, e.points[1].first,
                                 e.points[1].second};
        for (double v : first4) tooFar = tooFar || std::fabs(v) > kMaxDrawMm;
        BGraphicsItem* shape = createZoneShape(e, i, geometry, highlight);
        if (!shape) continue;
        m_scene->addItem(shape);
        shape->setFilters(filters);
        connect(shape, &BGraphicsItem::sig_copy, m_drawZone, &Page_DrawZone::recv_item_copy);
        connect(shape, &BGraphicsItem::sig_delete, m_drawZone, &Page_DrawZone::recv_item_delete);
        connect(shape, &BGraphicsItem::sig_filter, this, &Page_lidar::recv_filter);
        connect(shape, &BGraphicsItem::sig_refresh, this, &Page_lidar::recv_refresh);
        connect(shape, qOverload<Point_double*, int, int, int>(&BGraphicsItem::sig_syn), this,
                &Page_lidar::recv_shapeSyn);
        if (isPolygonType(e.type) && e.pointCount == 0) {
            // A polygon still to be drawn collects the scene's clicks.
            auto* polygon = static_cast<BPolygon*>(shape);
            connect(m_scene, &Graphics_scene::updatePoint, polygon, &BPolygon::pushPoint);
            if (!m_scene->isCapturing()) m_scene->setCaptureFlag(1);
            drawing = true;
        }
        m_shapes << shape;
    }
    if (!drawing && m_scene->isCapturing()) m_scene->setCaptureFlag(0);
    if (tooFar && warnFar) warn(tr("Maximum distance of graphic drawing cannot exceed 40 meters!"));
}

void Page_lidar::recv_shapeSyn(Point_double* data, int size, int uuid, int flag) {
    qDebug().noquote() << QStringLiteral("draw zone sum:%1,draw zone uuid:%2").arg(m_zones->count).arg(uuid);
    if (size <= 0 || !data) {
        // A polygon drawing was discarded: its entry stays without points and
        // a fresh polygon waits for the next clicks.
        recv_refresh();
        return;
    }
    if (uuid < 0 || uuid >= m_zones->count) return;
    ZoneEntry& e = m_zones->entries[uuid];
    if (isPolygonType(e.type)) {
        const int n = std::min(size, kMaxZonePoints);
        for (int i = 0; i < n; ++i) e.points[i] = {data[i].x, -data[i].y};
        if (flag == BGraphicsItem::SynClosed || flag == BGraphicsItem::SynClosedOther) {
            e.pointCount = n;
            recv_refresh();  // redrawn as a closed polygon
        }
    } else if (size >= 2) {
        e.points[0] = {data[0].x, data[0].y};
        e.points[1] = {data[1].x, data[1].y};
    }
    m_drawZone->syncEntry(uuid, e);
    m_drawZone->showEntry(uuid);
    if (flag >= BGraphicsItem::SynReleased) {
        if (!m_panelShown) showSidePanel(true);
        ui->tabWidget->setCurrentWidget(ui->tab_draw);
    }
}
