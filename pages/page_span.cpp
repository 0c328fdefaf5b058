#include "page_span.h"

#include <QButtonGroup>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <algorithm>
#include <cmath>

#include "ui_page_span.h"

namespace {

constexpr int kButtonsPerRow = 6;
constexpr int kButtonPointSize = 14;
constexpr int kSelectedPointSize = 24;
constexpr int kColumnWidths[] = {40, 80, 100, 80};

void setButtonFont(QPushButton* button, int pointSize, bool bold) {
    QFont font = button->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    button->setFont(font);
}

}  // namespace

Page_Span::Page_Span(QWidget* parent) : QWidget(parent), ui(new Ui::Page_Span) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Span"));

    // One decimal, 0..360; the C locale so the decimal point is always '.',
    // which is what QString::toFloat reads back.
    for (QLineEdit* edit : {ui->le_angle, ui->le_angle2}) {
        auto* validator = new QDoubleValidator(0.0, 360.0, 1, edit);
        validator->setNotation(QDoubleValidator::StandardNotation);
        validator->setLocale(QLocale::c());
        edit->setValidator(validator);
    }

    m_model = new QStandardItemModel(0, 4, this);
    setHeaderLabels();
    ui->tableView->setModel(m_model);
    ui->tableView->verticalHeader()->hide();
    setColumnWidths();

    m_group = new QButtonGroup(this);
    m_group->setExclusive(false);
    // Connected once here rather than after each learning pass, so a reset
    // and a second pass never deliver a click twice.
    connect(m_group, &QButtonGroup::idClicked, this, &Page_Span::clickItem);
}

Page_Span::~Page_Span() {
    delete ui;
}

// ---------------------------------------------------------------- learning

void Page_Span::recv_SpanData(RawData data) {
    if (m_state != Done) {
        learn(data.start);
        if (m_state != Done) return;
    }
    fillTable(data);
}

void Page_Span::learn(int start) {
    if (m_state == Waiting) {
        // Collect from the first fan at the reference angle on, so every pass
        // counted below is a whole revolution.
        if (start == m_refAngle) m_state = Collecting;
        return;
    }
    if (start == m_refAngle) --m_passes;
    // Kept distinct as they arrive: a stream that never returns to the
    // reference angle must not grow the list without bound.
    if (std::find(m_angles.begin(), m_angles.end(), start) == m_angles.end()) m_angles.push_back(start);
    if (m_passes > 0) return;

    m_state = Done;
    std::sort(m_angles.begin(), m_angles.end());
    createSectorButtons();
}

void Page_Span::createSectorButtons() {
    auto* grid = qobject_cast<QGridLayout*>(ui->widget->layout());
    for (int i = 0; i < static_cast<int>(m_angles.size()); ++i) {
        auto* button = new QPushButton(QString::number(m_angles[i] / 10), ui->widget);
        setButtonFont(button, kButtonPointSize, false);
        button->setMinimumSize(30, 30);
        m_group->addButton(button, i);
        grid->addWidget(button, i / kButtonsPerRow, i % kButtonsPerRow);
    }
    setColumnWidths();
}

void Page_Span::reset() {
    const QList<QAbstractButton*> buttons = m_group->buttons();
    for (QAbstractButton* button : buttons) {
        m_group->removeButton(button);
        delete button;
    }
    m_state = Waiting;
    m_selectedIndex = 0;
    m_selectedSector = 180;
    m_passes = 3;
    m_angles.clear();
}

// ---------------------------------------------------------------- table

bool Page_Span::passesFilter(float deg) const {
    if (!m_filterOn) return true;
    // Fans may run past 360 degrees (and the decoder does not normalise), so
    // compare the bearing, not the raw angle.
    float bearing = std::fmod(deg, 360.0f);
    if (bearing < 0.0f) bearing += 360.0f;
    if (m_low <= m_high) return m_low <= bearing && bearing <= m_high;
    return bearing >= m_low || bearing <= m_high;
}

void Page_Span::fillTable(const RawData& data) {
    if (data.start / 10 != m_selectedSector) return;
    // count comes from the wire; never index past the point array.
    const int count = std::min<int>(data.count, kMaxFanPoints);
    auto setCell = [this](int row, int column, const QString& text) {
        if (QStandardItem* item = m_model->item(row, column))
            item->setText(text);
        else
            m_model->setItem(row, column, new QStandardItem(text));
    };
    for (int i = 0; i < count; ++i) {
        const RawPoint& p = data.points[i];
        const float deg = static_cast<float>(p.angle * 0.5 / M_PI * 360.0);
        if (!passesFilter(deg)) continue;
        setCell(i, 0, QString::number(i + 1));
        setCell(i, 1, QString::number(deg, 'f', 3));
        setCell(i, 2, QString::number(p.distance * 1000.0, 'g', 6));
        setCell(i, 3, QString::number(p.energy));
    }
    setColumnWidths();
}

void Page_Span::setColumnWidths() {
    for (int c = 0; c < 4; ++c) ui->tableView->setColumnWidth(c, kColumnWidths[c]);
}

void Page_Span::clearRows() {
    m_model->removeRows(0, m_model->rowCount());
}

// ---------------------------------------------------------------- controls

void Page_Span::clickItem(int id) {
    if (auto* previous = qobject_cast<QPushButton*>(m_group->button(m_selectedIndex)))
        setButtonFont(previous, kButtonPointSize, false);
    auto* button = qobject_cast<QPushButton*>(m_group->button(id));
    if (!button) return;
    setButtonFont(button, kSelectedPointSize, true);
    m_selectedIndex = id;
    m_selectedSector = button->text().toInt();
    clearRows();
}

void Page_Span::setRange(float low, float high) {
    ui->le_angle->setText(QString::number(low, 'g', 6));
    ui->le_angle2->setText(QString::number(high, 'g', 6));
}

void Page_Span::on_pb_query_clicked() {
    const QString low = ui->le_angle->text();
    const QString high = ui->le_angle2->text();
    if (low.isEmpty() || high.isEmpty())
        QMessageBox::warning(this, tr("error"), tr("Choose range is empty!"));
    // An empty field reads as 0 once warned about. The validator lets a
    // half-typed value such as "400" stand; that is no bearing, and the
    // filter in force stays as it is.
    auto isBearing = [](const QString& text) {
        bool ok = false;
        const float deg = text.toFloat(&ok);
        return text.isEmpty() || (ok && deg >= 0.0f && deg <= 360.0f);
    };
    if (!isBearing(low) || !isBearing(high)) {
        QMessageBox::warning(this, tr("error"), tr("Choose range must lie within 0 to 360!"));
        return;
    }
    m_filterOn = true;
    m_low = low.toFloat();
    m_high = high.toFloat();
    clearRows();
}

void Page_Span::on_pb_cancel_clicked() {
    m_filterOn = false;
    emit sig_scope(false);
}

void Page_Span::on_pb_scope_clicked() {
    emit sig_scope(true);
}

// A language switch at run time reaches every widget as LanguageChange.
void Page_Span::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        setHeaderLabels();
    }
    QWidget::changeEvent(event);
}

void Page_Span::setHeaderLabels() {
    m_model->setHorizontalHeaderLabels({tr("Num"), tr("DEG"), tr("MM"), tr("ENERGY")});
}
