#pragma once
// Zone drawing page: the numeric editor of zone shapes. It keeps its own
// ordered list of entries (the position in the list is the shape's uuid on
// the point cloud), adds shapes with default parameters, edits the four
// parameters of the current shape or the vertices of a polygon, and
// publishes the whole list through sig_zonearg, which the point-cloud page
// draws. Widgets only; GUI thread only.

#include <QList>
#include <QModelIndex>
#include <QVector>
#include <QWidget>

#include "metatypes.h"
#include "zonealarm.h"

class QStandardItemModel;
class QTimer;

namespace Ui {
class Page_DrawZone;
}

class Page_DrawZone : public QWidget {
    Q_OBJECT

public:
    static constexpr int kAutosaveMs = 100;

    explicit Page_DrawZone(QWidget* parent = nullptr);
    ~Page_DrawZone() override;

    // ---- called by the point-cloud page
    // Replaces the list (ignored when the record holds more than 64 entries).
    void loadZones(const zones& data);
    // Shows entry `index` in the fields, the selectors and the vertex table;
    // it becomes the current entry.
    void showEntry(int index);
    // Starts a new filter polygon (whatever the polygon mode says).
    void startFilterPolygon();
    // Shapes created from now on get zone number `zone`; no entry is current.
    void setZoneNumber(int zone);
    // Rotation direction: mirrored sector angles in the fields.
    void setMirrored(bool mirrored);
    // A shape on the point cloud moved: the entry takes its geometry without
    // being published again (the shapes already show it).
    void syncEntry(int index, const ZoneEntry& entry);

    // ---- state
    int entryCount() const { return m_entries.size(); }
    const ZoneEntry& entry(int index) const { return m_entries.at(index); }
    // 1-based; 0 when no entry is current.
    int currentEntry() const { return m_current; }
    bool isDirty() const { return m_dirty; }
    // The list as a record (count = entries).
    zones toZones() const;

public slots:
    void on_pb_ellipse_clicked();
    void on_pb_rect_clicked();
    void on_pb_span_clicked();
    void on_pb_raw_clicked();
    void on_pb_delete_clicked();
    void on_cb_area_activated(int index);
    void on_le_arg1_editingFinished();
    void on_le_arg2_editingFinished();
    void on_le_arg3_editingFinished();
    void on_le_arg4_editingFinished();
    void recv_TableViewCellDataChanged(QModelIndex topLeft, QModelIndex bottomRight, QVector<int> roles);
    void recv_item_copy(int uuid);
    void recv_item_delete(int uuid);
    void recv_autosave();

signals:
    void sig_zonearg(zones data);

protected:
    void changeEvent(QEvent* event) override;

private:
    enum Field { Arg1 = 0, Arg2, Arg3, Arg4 };

    void newShape(int type, const QStringList& defaults);
    void startPolygon(int type);
    bool roomForOneMore();
    void setLabels(int type);
    void showPolygonControls(bool polygon);
    void fillFields(const ZoneEntry& e);
    void fillTable(const ZoneEntry& e);
    void readFields(ZoneEntry& e) const;
    void editField(Field field);
    void setTableHeader();
    void warn(const QString& text);

    Ui::Page_DrawZone* ui;
    QStandardItemModel* m_table = nullptr;
    QTimer* m_autosave = nullptr;
    QList<ZoneEntry> m_entries;
    int m_current = 0;
    bool m_busy = false;
    bool m_dirty = false;
    bool m_mirrored = false;
    bool m_fillingTable = false;
};
