#pragma once
// Sector data page: learns the fan start angles the scanner uses, offers one
// button per sector, and lists the points of the chosen sector in a table
// each time a fan of that sector arrives. Widgets only; GUI thread only.

#include <QWidget>
#include <vector>

#include "metatypes.h"
#include "rawdata.h"

class QButtonGroup;
class QPushButton;
class QStandardItemModel;

namespace Ui {
class Page_Span;
}

class Page_Span : public QWidget {
    Q_OBJECT

public:
    explicit Page_Span(QWidget* parent = nullptr);
    ~Page_Span() override;

    // Writes a marked range (degrees) into the two range fields.
    void setRange(float low, float high);
    // Forgets the learned sectors; they are learned again from the stream.
    void reset();

public slots:
    // One decoded fan, every fan of the stream.
    void recv_SpanData(RawData data);
    // Selects the sector of button `id` (position in the sorted angle list).
    void clickItem(int id);

    void on_pb_query_clicked();
    void on_pb_cancel_clicked();
    void on_pb_scope_clicked();

signals:
    // true: let the operator mark a range on the point cloud; false: stop.
    void sig_scope(bool ok);

protected:
    void changeEvent(QEvent* event) override;

private:
    void setHeaderLabels();
    enum LearnState { Waiting = 0, Collecting = 1, Done = 2 };

    void learn(int start);
    void createSectorButtons();
    void fillTable(const RawData& data);
    bool passesFilter(float deg) const;
    void setColumnWidths();
    void clearRows();

    Ui::Page_Span* ui;
    QStandardItemModel* m_model = nullptr;
    QButtonGroup* m_group = nullptr;

    std::vector<int> m_angles;  // distinct start angles seen while collecting, 0.1 degree
    int m_state = Waiting;
    int m_passes = 3;          // further passes through the reference angle still to see
    const int m_refAngle = 0;  // 0.1 degree
    int m_selectedSector = 0;  // whole degrees
    int m_selectedIndex = 0;   // button id of the selected sector

    bool m_filterOn = false;
    float m_low = 0.0f;   // degrees
    float m_high = 0.0f;  // degrees
};
