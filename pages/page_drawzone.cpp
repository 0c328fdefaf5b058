#include "page_drawzone.h"

#include <QDebug>
#include <QDoubleValidator>
#include <QEvent>
#include <QHeaderView>
#include <QIntValidator>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTimer>
#include <cmath>

#include "ui_page_drawzone.h"

namespace {

// Positions of cb_shape.
int shapeIndex(int type) {
    switch (type) {
        case ZoneShapeEllipse:
            return 0;
        case ZoneShapeRectangle:
            return 1;
        case ZoneShapeSector:
            return 2;
        default:
            return 3;
    }
}

bool isPolygon(int type) {
    return type == ZoneShapePolygon || type == ZoneShapeFilter;
}

QString general(double v) {
    return QString::number(v, 'g', 6);
}

}  // namespace

Page_DrawZone::Page_DrawZone(QWidget* parent) : QWidget(parent), ui(new Ui::Page_DrawZone) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_DrawZone"));

    for (QLineEdit* field : {ui->le_arg1, ui->le_arg2}) {
        auto* v = new QDoubleValidator(-99999, 99999, 1, field);
        v->setNotation(QDoubleValidator::StandardNotation);
        field->setValidator(v);
    }
    for (QLineEdit* field : {ui->le_arg3, ui->le_arg4})
        field->setValidator(new QIntValidator(-99999, 99999, field));

    m_table = new QStandardItemModel(0, 3, this);
    setTableHeader();
    ui->tableView->setModel(m_table);
    ui->tableView->verticalHeader()->hide();
    ui->tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->tableView->setMinimumHeight(100);
    ui->tableView->setMaximumHeight(200);
    connect(m_table, &QStandardItemModel::dataChanged, this, &Page_DrawZone::recv_TableViewCellDataChanged);

    setLabels(ZoneShapeEllipse);
    showPolygonControls(false);

    m_autosave = new QTimer(this);
    m_autosave->setInterval(kAutosaveMs);
    connect(m_autosave, &QTimer::timeout, this, &Page_DrawZone::recv_autosave);
    m_autosave->start();
}

Page_DrawZone::~Page_DrawZone() {
    delete ui;
}

void Page_DrawZone::setTableHeader() {
    m_table->setHorizontalHeaderLabels({tr("Num"), tr("X"), tr("Y")});
}

void Page_DrawZone::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        setTableHeader();
        if (m_current > 0) setLabels(m_entries[m_current - 1].type);
    }
    QWidget::changeEvent(event);
}

void Page_DrawZone::warn(const QString& text) {
    QMessageBox::warning(this, tr("error"), text, QMessageBox::Ok);
}

// ---------------------------------------------------------------- the list

zones Page_DrawZone::toZones() const {
    zones z;
    z.count = std::min(m_entries.size(), kMaxZoneEntries);
    for (int i = 0; i < z.count; ++i) z.entries[i] = m_entries[i];
    return z;
}

void Page_DrawZone::loadZones(const zones& data) {
    if (data.count < 0 || data.count > kMaxZoneEntries) return;
    m_entries.clear();
    for (int i = 0; i < data.count; ++i) m_entries.append(data.entries[i]);
    m_current = 0;
    m_table->removeRows(0, m_table->rowCount());
}

bool Page_DrawZone::roomForOneMore() {
    if (m_entries.size() < kMaxZoneEntries) return true;
    warn(tr("The number of alarm zones more than the maximum limit!"));
    return false;
}

void Page_DrawZone::syncEntry(int index, const ZoneEntry& entry) {
    if (index < 0 || index >= m_entries.size()) return;
    m_entries[index] = entry;
    if (index == m_current - 1) {
        fillFields(entry);
        fillTable(entry);
    }
}

void Page_DrawZone::setZoneNumber(int zone) {
    if (zone >= 0 && zone < kZoneCount) ui->cb_zone->setCurrentIndex(zone);
    m_current = 0;
}

void Page_DrawZone::setMirrored(bool mirrored) {
    m_mirrored = mirrored;
    if (m_current > 0) fillFields(m_entries[m_current - 1]);
}

// ---------------------------------------------------------------- showing an entry

void Page_DrawZone::setLabels(int type) {
    QStringList labels;
    if (type == ZoneShapeRectangle)
        labels = QStringList{tr("Left"), tr("Top"), tr("Right"), tr("Buttom")};
    else if (type == ZoneShapeSector)
        labels = QStringList{tr("Start angle"), tr("End angle"), tr("Far distance"), tr("Near distance")};
    else
        labels = QStringList{tr("Center X"), tr("Center Y"), tr("Width"), tr("Height")};
    ui->lb_arg1->setText(labels[0]);
    ui->lb_arg2->setText(labels[1]);
    ui->lb_arg3->setText(labels[2]);
    ui->lb_arg4->setText(labels[3]);
    ui->cb_shape->setCurrentIndex(shapeIndex(type));
}

void Page_DrawZone::showPolygonControls(bool polygon) {
    for (QWidget* w : {static_cast<QWidget*>(ui->lb_arg1), static_cast<QWidget*>(ui->lb_arg2),
                       static_cast<QWidget*>(ui->lb_arg3), static_cast<QWidget*>(ui->lb_arg4),
                       static_cast<QWidget*>(ui->le_arg1), static_cast<QWidget*>(ui->le_arg2),
                       static_cast<QWidget*>(ui->le_arg3), static_cast<QWidget*>(ui->le_arg4)})
        w->setVisible(!polygon);
    ui->gb_coords->setVisible(polygon);
}

void Page_DrawZone::fillFields(const ZoneEntry& e) {
    const ZonePoint* p = e.points;
    if (e.type == ZoneShapeEllipse) {
        ui->le_arg1->setText(general(p[0].first));
        ui->le_arg2->setText(general(p[0].second));
        ui->le_arg3->setText(general(p[1].first));
        ui->le_arg4->setText(general(p[1].second));
    } else if (e.type == ZoneShapeRectangle) {
        ui->le_arg1->setText(general(p[0].second));
        ui->le_arg2->setText(general(p[1].first));
        ui->le_arg3->setText(general(p[1].second));
        ui->le_arg4->setText(general(p[0].first));
    } else if (e.type == ZoneShapeSector) {
        if (m_mirrored) {
            ui->le_arg1->setText(QString::number(std::round(3600 - p[0].second) / 10.0, 'f', 1));
            ui->le_arg2->setText(QString::number(std::round(3600 - p[0].first) / 10.0, 'f', 1));
        } else {
            ui->le_arg1->setText(QString::number(p[0].first / 10.0, 'f', 1));
            ui->le_arg2->setText(QString::number(p[0].second / 10.0, 'f', 1));
        }
        ui->le_arg3->setText(general(p[1].first));
        ui->le_arg4->setText(QString::number(std::lround(p[1].second)));
    }
}

void Page_DrawZone::fillTable(const ZoneEntry& e) {
    m_fillingTable = true;
    m_table->removeRows(0, m_table->rowCount());
    if (isPolygon(e.type)) {
        const int n = std::clamp(e.pointCount, 0, kMaxZonePoints);
        for (int i = 0; i < n; ++i) {
            auto* num = new QStandardItem(QString::number(i + 1));
            num->setEditable(false);
            m_table->appendRow({num, new QStandardItem(general(e.points[i].first)),
                                new QStandardItem(general(e.points[i].second))});
        }
    }
    m_fillingTable = false;
}

void Page_DrawZone::showEntry(int index) {
    if (index < 0 || index >= m_entries.size()) return;
    const ZoneEntry& e = m_entries[index];
    m_current = index + 1;
    const bool polygon = isPolygon(e.type);
    showPolygonControls(polygon);
    if (!polygon) setLabels(e.type);
    ui->cb_shape->setCurrentIndex(shapeIndex(e.type));
    fillFields(e);
    fillTable(e);
    if (e.kind >= 0 && e.kind <= 2) ui->cb_area->setCurrentIndex(e.kind);
    if (e.zoneId >= 0 && e.zoneId < kZoneCount) ui->cb_zone->setCurrentIndex(e.zoneId);
    ui->cb_mode->setCurrentIndex(e.type == ZoneShapeFilter ? 1 : 0);
}

// ---------------------------------------------------------------- new shapes

void Page_DrawZone::readFields(ZoneEntry& e) const {
    const double a1 = ui->le_arg1->text().toDouble(), a2 = ui->le_arg2->text().toDouble();
    const double a3 = ui->le_arg3->text().toDouble(), a4 = ui->le_arg4->text().toDouble();
    ZonePoint* p = e.points;
    if (e.type == ZoneShapeEllipse) {
        p[0] = {double(int(a1)), double(int(a2))};
        p[1] = {double(int(a3)), double(int(a4))};
    } else if (e.type == ZoneShapeRectangle) {
        p[0] = {double(int(a4)), double(int(a1))};
        p[1] = {double(int(a2)), double(int(a3))};
    } else if (e.type == ZoneShapeSector) {
        if (m_mirrored)
            p[0] = {3600.0 - std::round(10 * a2), 3600.0 - std::round(10 * a1)};
        else
            p[0] = {std::round(10 * a1), std::round(10 * a2)};
        p[1] = {double(int(a3)), double(int(a4))};
    }
    e.pointCount = 2;
}

void Page_DrawZone::newShape(int type, const QStringList& defaults) {
    if (!roomForOneMore()) return;
    m_busy = true;
    showPolygonControls(false);
    setLabels(type);
    ui->le_arg1->setText(defaults[0]);
    ui->le_arg2->setText(defaults[1]);
    ui->le_arg3->setText(defaults[2]);
    ui->le_arg4->setText(defaults[3]);
    ZoneEntry e;
    e.type = type;
    e.kind = ui->cb_area->currentIndex();
    e.zoneId = ui->cb_zone->currentIndex();
    readFields(e);
    m_entries.append(e);
    m_current = m_entries.size();
    fillTable(e);
    zones published = toZones();
    published.entries[m_current - 1].selected = 1;
    emit sig_zonearg(published);
    m_busy = false;
}

void Page_DrawZone::on_pb_ellipse_clicked() {
    newShape(ZoneShapeEllipse, {"-1000", "-1000", "1000", "1000"});
}

void Page_DrawZone::on_pb_rect_clicked() {
    // Left, Top, Right, Buttom.
    newShape(ZoneShapeRectangle, {"-1000", "1000", "1000", "-1000"});
}

void Page_DrawZone::on_pb_span_clicked() {
    newShape(ZoneShapeSector, {"30", "120", "3000", "1000"});
}

void Page_DrawZone::startPolygon(int type) {
    m_busy = true;
    // A polygon that was started but never drawn gives way to the new one.
    for (int i = m_entries.size() - 1; i >= 0; --i)
        if (isPolygon(m_entries[i].type) && m_entries[i].pointCount == 0) m_entries.removeAt(i);
    if (!roomForOneMore()) {
        m_busy = false;
        m_current = 0;
        m_dirty = true;
        return;
    }
    showPolygonControls(true);
    ui->cb_shape->setCurrentIndex(shapeIndex(type));
    ZoneEntry e;
    e.type = type;
    e.kind = ui->cb_area->currentIndex();
    e.zoneId = ui->cb_zone->currentIndex();
    e.pointCount = 0;
    e.selected = 1;
    m_entries.append(e);
    m_current = m_entries.size();
    fillTable(e);
    m_dirty = true;
    m_busy = false;
}

void Page_DrawZone::on_pb_raw_clicked() {
    startPolygon(ui->cb_mode->currentIndex() == 1 ? ZoneShapeFilter : ZoneShapePolygon);
}

void Page_DrawZone::startFilterPolygon() {
    startPolygon(ZoneShapeFilter);
}

// ---------------------------------------------------------------- edits

void Page_DrawZone::on_cb_area_activated(int index) {
    if (m_busy || m_current <= 0 || index < 0 || index > 2) return;
    m_entries[m_current - 1].kind = index;
    m_dirty = true;
}

void Page_DrawZone::editField(Field field) {
    if (m_busy || m_current <= 0) return;
    ZoneEntry& e = m_entries[m_current - 1];
    if (isPolygon(e.type)) return;  // vertices are edited in the table
    const QLineEdit* edits[] = {ui->le_arg1, ui->le_arg2, ui->le_arg3, ui->le_arg4};
    const double v = edits[field]->text().toDouble();
    ZonePoint* p = e.points;
    if (e.type == ZoneShapeSector && field == Arg4 && std::fabs(v) < 10) {
        warn(tr("The sector near distance  cannot be less than 10mm"));
        ui->le_arg4->setText(QString::number(std::lround(p[1].second)));
        return;
    }
    m_dirty = true;
    if (e.type == ZoneShapeEllipse) {
        double* values[] = {&p[0].first, &p[0].second, &p[1].first, &p[1].second};
        *values[field] = int(v);
    } else if (e.type == ZoneShapeRectangle) {
        double* values[] = {&p[0].second, &p[1].first, &p[1].second, &p[0].first};
        *values[field] = v;
    } else if (e.type == ZoneShapeSector) {
        // Mirrored, the field that reads as the start holds the stored end and the reverse.
        const double angle = std::round(10 * v);
        if (field == Arg1 && !m_mirrored)
            p[0].first = angle;
        else if (field == Arg1)
            p[0].second = 3600 - angle;
        else if (field == Arg2 && !m_mirrored)
            p[0].second = angle;
        else if (field == Arg2)
            p[0].first = 3600 - angle;
        else if (field == Arg3)
            p[1].first = v;
        else
            p[1].second = v;
    }
}

void Page_DrawZone::on_le_arg1_editingFinished() {
    editField(Arg1);
}

void Page_DrawZone::on_le_arg2_editingFinished() {
    editField(Arg2);
}

void Page_DrawZone::on_le_arg3_editingFinished() {
    editField(Arg3);
}

void Page_DrawZone::on_le_arg4_editingFinished() {
    editField(Arg4);
}

void Page_DrawZone::recv_TableViewCellDataChanged(QModelIndex topLeft, QModelIndex bottomRight,
                                                  QVector<int>) {
    if (m_fillingTable || m_busy || m_current <= 0) return;
    ZoneEntry& e = m_entries[m_current - 1];
    if (!isPolygon(e.type)) return;
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
        if (r < 0 || r >= std::min(e.pointCount, kMaxZonePoints)) continue;
        for (int c = std::max(1, topLeft.column()); c <= std::min(2, bottomRight.column()); ++c) {
            bool ok = false;
            const double v = m_table->item(r, c)->text().toDouble(&ok);
            if (!ok) continue;  // not a number: the vertex keeps its value
            (c == 1 ? e.points[r].first : e.points[r].second) = v;
            m_dirty = true;
        }
    }
}

// ---------------------------------------------------------------- copy, delete, autosave

void Page_DrawZone::recv_item_copy(int uuid) {
    if (uuid < 0 || uuid >= m_entries.size()) return;
    if (!roomForOneMore()) return;
    m_entries.append(m_entries[uuid]);
    m_dirty = true;
}

void Page_DrawZone::recv_item_delete(int uuid) {
    if (uuid < 0 || uuid >= m_entries.size()) {
        warn(tr("!!! %1 %2").arg(m_entries.size()).arg(uuid));
        return;
    }
    qDebug() << "Page_DrawZone delete entry" << uuid << "of" << m_entries.size();
    m_entries.removeAt(uuid);
    if (m_current == uuid + 1)
        m_current = 0;
    else if (m_current > uuid + 1)
        --m_current;
    m_dirty = true;
}

void Page_DrawZone::on_pb_delete_clicked() {
    if (m_current > 0) recv_item_delete(m_current - 1);
}

void Page_DrawZone::recv_autosave() {
    if (!m_dirty) return;
    m_dirty = false;
    emit sig_zonearg(toZones());
}
