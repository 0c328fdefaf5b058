// The sector data page fed with a simulated stream of fans: learning the
// sectors, the table of the chosen sector, and the angle range filter.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cmath>
#include <vector>

#include "page_span.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct TestPoint {
    double deg;
    float metres;
    uint8_t energy;
};

// A fan as the decoder delivers it: start in 0.1 degree, angles in radians.
RawData fan(int start, const std::vector<TestPoint>& points = {}) {
    RawData d;
    d.tag = 0xFACF;
    d.start = static_cast<uint16_t>(start);
    d.span = 100;
    d.count = static_cast<uint16_t>(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        d.points[i].angle = static_cast<float>(points[i].deg * kPi / 180.0);
        d.points[i].distance = points[i].metres;
        d.points[i].energy = points[i].energy;
    }
    return d;
}

// One revolution of 36 fans of 10 degrees, 0 .. 3500.
void feedRevolution(Page_Span& page) {
    for (int s = 0; s < 3600; s += 100) page.recv_SpanData(fan(s));
}

std::vector<QPushButton*> sectorButtons(Page_Span& page) {
    auto* frame = page.findChild<QWidget*>("widget");
    std::vector<QPushButton*> buttons;
    for (QPushButton* b : frame->findChildren<QPushButton*>()) buttons.push_back(b);
    return buttons;
}

QPushButton* sectorButton(Page_Span& page, const QString& text) {
    for (QPushButton* b : sectorButtons(page))
        if (b->text() == text) return b;
    return nullptr;
}

// Learned after the first pass through 0 and three further ones.
void learn(Page_Span& page) {
    for (int pass = 0; pass < 3; ++pass) feedRevolution(page);
    page.recv_SpanData(fan(0));
}

QAbstractItemModel* table(Page_Span& page) {
    return page.findChild<QTableView*>("tableView")->model();
}
QString cell(Page_Span& page, int row, int column) {
    return table(page)->data(table(page)->index(row, column)).toString();
}

// Rows that carry a point; rows of filtered points stay empty.
int filledRows(Page_Span& page) {
    int n = 0;
    for (int r = 0; r < table(page)->rowCount(); ++r)
        if (!cell(page, r, 0).isEmpty()) ++n;
    return n;
}

void query(Page_Span& page, const QString& low, const QString& high) {
    page.findChild<QLineEdit*>("le_angle")->setText(low);
    page.findChild<QLineEdit*>("le_angle2")->setText(high);
    QTest::mouseClick(page.findChild<QPushButton*>("pb_query"), Qt::LeftButton);
}

}  // namespace

// ---------------------------------------------------------------- learning

TEST(SectorLearning, ThirtySixFansGiveThirtySixButtonsAfterThreeFurtherPasses) {
    Page_Span page;
    // Stream joined mid-revolution: nothing is collected before the first 0.
    for (int s = 1800; s < 3600; s += 100) page.recv_SpanData(fan(s));
    for (int pass = 0; pass < 3; ++pass) feedRevolution(page);
    EXPECT_TRUE(sectorButtons(page).empty());

    page.recv_SpanData(fan(0));
    auto buttons = sectorButtons(page);
    ASSERT_EQ(buttons.size(), 36u);

    auto* grid = qobject_cast<QGridLayout*>(page.findChild<QWidget*>("widget")->layout());
    ASSERT_NE(grid, nullptr);
    for (int i = 0; i < 36; ++i) {
        auto* b = qobject_cast<QPushButton*>(grid->itemAtPosition(i / 6, i % 6)->widget());
        ASSERT_NE(b, nullptr) << i;
        EXPECT_EQ(b->text(), QString::number(i * 10));
        EXPECT_EQ(b->font().pointSize(), 14);
        EXPECT_GE(b->minimumWidth(), 30);
        EXPECT_GE(b->minimumHeight(), 30);
    }
}

TEST(SectorLearning, NoFanAtZeroNeverOffersButtons) {
    Page_Span page;
    for (int pass = 0; pass < 6; ++pass)
        for (int s = 5; s < 3600; s += 100) page.recv_SpanData(fan(s));
    EXPECT_TRUE(sectorButtons(page).empty());
}

TEST(SectorLearning, RepeatedAnglesGiveOneButtonEach) {
    Page_Span page;
    // A device whose fans are 90 degrees wide.
    for (int pass = 0; pass < 5; ++pass)
        for (int s : {0, 900, 1800, 2700}) page.recv_SpanData(fan(s));
    QStringList texts;
    for (QPushButton* b : sectorButtons(page)) texts << b->text();
    std::sort(texts.begin(), texts.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    EXPECT_EQ(texts, QStringList({"0", "90", "180", "270"}));
}

TEST(SectorLearning, ResetForgetsTheSectorsAndLearnsAgain) {
    Page_Span page;
    learn(page);
    ASSERT_EQ(sectorButtons(page).size(), 36u);
    page.reset();
    EXPECT_TRUE(sectorButtons(page).empty());
    learn(page);
    EXPECT_EQ(sectorButtons(page).size(), 36u);
    // After a reset the sector at 180 degrees is listed without a click.
    page.recv_SpanData(fan(1800, {{181.0, 2.0f, 7}}));
    EXPECT_EQ(cell(page, 0, 1), "181.000");
}

// ---------------------------------------------------------------- table

TEST(SectorTable, ColumnsAndWidths) {
    Page_Span page;
    learn(page);
    auto* view = page.findChild<QTableView*>("tableView");
    ASSERT_EQ(table(page)->columnCount(), 4);
    const char* names[] = {"Num", "DEG", "MM", "ENERGY"};
    const int widths[] = {40, 80, 100, 80};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(table(page)->headerData(c, Qt::Horizontal).toString(), names[c]);
        EXPECT_EQ(view->columnWidth(c), widths[c]);
    }
    EXPECT_TRUE(view->verticalHeader()->isHidden());
}

TEST(SectorTable, ChosenSectorFillsTheTable) {
    Page_Span page;
    learn(page);
    QPushButton* ten = sectorButton(page, "10");
    ASSERT_NE(ten, nullptr);
    QTest::mouseClick(ten, Qt::LeftButton);
    EXPECT_EQ(ten->font().pointSize(), 24);
    EXPECT_TRUE(ten->font().bold());

    // A fan of another sector leaves the table alone.
    page.recv_SpanData(fan(200, {{20.5, 1.0f, 1}}));
    EXPECT_EQ(table(page)->rowCount(), 0);

    // Start 105 belongs to sector 10 as well.
    page.recv_SpanData(fan(105, {{10.5, 1.234f, 200}, {12.25, 0.5f, 0}, {19.75, 12.3456789f, 255}}));
    ASSERT_EQ(table(page)->rowCount(), 3);
    EXPECT_EQ(cell(page, 0, 0), "1");
    EXPECT_EQ(cell(page, 0, 1), "10.500");
    EXPECT_EQ(cell(page, 0, 2), "1234");
    EXPECT_EQ(cell(page, 0, 3), "200");
    EXPECT_EQ(cell(page, 1, 0), "2");
    EXPECT_EQ(cell(page, 1, 1), "12.250");
    EXPECT_EQ(cell(page, 1, 2), "500");
    EXPECT_EQ(cell(page, 1, 3), "0");
    EXPECT_EQ(cell(page, 2, 0), "3");
    EXPECT_EQ(cell(page, 2, 1), "19.750");
    EXPECT_EQ(cell(page, 2, 2), "12345.7");
    EXPECT_EQ(cell(page, 2, 3), "255");
}

TEST(SectorTable, ChoosingAnotherSectorClearsTheRowsAndTheOldHighlight) {
    Page_Span page;
    learn(page);
    QPushButton* ten = sectorButton(page, "10");
    QPushButton* twenty = sectorButton(page, "20");
    QTest::mouseClick(ten, Qt::LeftButton);
    page.recv_SpanData(fan(100, {{10.0, 1.0f, 1}}));
    ASSERT_EQ(table(page)->rowCount(), 1);
    QTest::mouseClick(twenty, Qt::LeftButton);
    EXPECT_EQ(table(page)->rowCount(), 0);
    EXPECT_EQ(ten->font().pointSize(), 14);
    EXPECT_FALSE(ten->font().bold());
    EXPECT_EQ(twenty->font().pointSize(), 24);
}

TEST(SectorTable, PointCountBeyondTheArrayIsBounded) {
    Page_Span page;
    learn(page);  // sector 0 is selected from the start
    RawData d = fan(0, {{1.0, 1.0f, 1}});
    d.count = 60000;  // corrupt count from the wire
    page.recv_SpanData(d);
    EXPECT_EQ(table(page)->rowCount(), kMaxFanPoints);
}

// ---------------------------------------------------------------- range filter

TEST(RangeFilter, NarrowsTheRows) {
    Page_Span page;
    learn(page);
    query(page, "2", "4.5");
    page.recv_SpanData(
        fan(0, {{1.0, 1.0f, 1}, {2.0, 1.0f, 2}, {3.0, 1.0f, 3}, {4.5, 1.0f, 4}, {5.0, 1.0f, 5}}));
    EXPECT_EQ(filledRows(page), 3);
    EXPECT_TRUE(cell(page, 0, 0).isEmpty());
    EXPECT_EQ(cell(page, 1, 1), "2.000");
    EXPECT_EQ(cell(page, 3, 1), "4.500");
}

TEST(RangeFilter, RangeAcrossZero) {
    Page_Span page;
    learn(page);
    query(page, "350", "10");
    page.recv_SpanData(fan(0, {{355.0, 1.0f, 1}, {5.0, 1.0f, 2}, {180.0, 1.0f, 3}}));
    EXPECT_EQ(filledRows(page), 2);
    EXPECT_EQ(cell(page, 0, 1), "355.000");
    EXPECT_EQ(cell(page, 1, 1), "5.000");
    EXPECT_TRUE(cell(page, 2, 0).isEmpty());
}

TEST(RangeFilter, FanRunningPast360IsFilteredByBearing) {
    Page_Span page;
    learn(page);
    query(page, "0", "10");
    // A fan that starts at 0 but whose angles run on from the previous turn.
    page.recv_SpanData(fan(0, {{362.0, 1.0f, 1}, {200.0, 1.0f, 2}}));
    EXPECT_EQ(filledRows(page), 1);
    EXPECT_EQ(cell(page, 0, 1), "362.000");
}

TEST(RangeFilter, QueryClearsRowsAndCancelLetsEverythingThrough) {
    Page_Span page;
    learn(page);
    QSignalSpy scope(&page, &Page_Span::sig_scope);
    page.recv_SpanData(fan(0, {{1.0, 1.0f, 1}, {50.0, 1.0f, 2}}));
    ASSERT_EQ(filledRows(page), 2);
    query(page, "0", "10");
    EXPECT_EQ(table(page)->rowCount(), 0);
    page.recv_SpanData(fan(0, {{1.0, 1.0f, 1}, {50.0, 1.0f, 2}}));
    EXPECT_EQ(filledRows(page), 1);

    QTest::mouseClick(page.findChild<QPushButton*>("pb_cancel"), Qt::LeftButton);
    ASSERT_EQ(scope.count(), 1);
    EXPECT_FALSE(scope.at(0).at(0).toBool());
    page.recv_SpanData(fan(0, {{1.0, 1.0f, 1}, {50.0, 1.0f, 2}}));
    EXPECT_EQ(filledRows(page), 2);
}

TEST(RangeFilter, EmptyFieldWarnsAndReadsAsZero) {
    Page_Span page;
    learn(page);
    QString title, text;
    // The warning is modal: answer it from the event loop it runs.
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            box->accept();
        }
    });
    query(page, "", "10");
    EXPECT_EQ(title, "error");
    EXPECT_EQ(text, "Choose range is empty!");
    page.recv_SpanData(fan(0, {{5.0, 1.0f, 1}, {20.0, 1.0f, 2}}));
    EXPECT_EQ(filledRows(page), 1);
}

TEST(RangeFilter, OutOfRangeFieldWarnsAndKeepsTheFilter) {
    Page_Span page;
    learn(page);
    query(page, "2", "4.5");
    for (const char* bad : {"400", "."}) {
        QString title, text;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
        query(page, bad, "10");
        EXPECT_EQ(title, "error") << bad;
        EXPECT_EQ(text, "Choose range must lie within 0 to 360!") << bad;
    }
    // The earlier range still applies.
    page.recv_SpanData(fan(0, {{3.0, 1.0f, 1}, {8.0, 1.0f, 2}}));
    EXPECT_EQ(filledRows(page), 1);
    EXPECT_EQ(cell(page, 0, 1), "3.000");
}

// ---------------------------------------------------------------- controls

TEST(SpanControls, InitialFormTexts) {
    Page_Span page;
    EXPECT_EQ(page.findChild<QLineEdit*>("le_angle")->text(), "0");
    EXPECT_EQ(page.findChild<QLineEdit*>("le_angle2")->text(), "360");
    EXPECT_EQ(page.findChild<QPushButton*>("pb_query")->text(), QString::fromUtf8("查询"));
    EXPECT_EQ(page.findChild<QPushButton*>("pb_scope")->text(), QString::fromUtf8("圈定范围"));
    EXPECT_EQ(page.findChild<QPushButton*>("pb_cancel")->text(), QString::fromUtf8("取消"));
    EXPECT_EQ(page.property("Class").toString(), "Page_Span");
}

TEST(SpanControls, ScopeButtonAsksForARange) {
    Page_Span page;
    QSignalSpy scope(&page, &Page_Span::sig_scope);
    QTest::mouseClick(page.findChild<QPushButton*>("pb_scope"), Qt::LeftButton);
    ASSERT_EQ(scope.count(), 1);
    EXPECT_TRUE(scope.at(0).at(0).toBool());
}

TEST(SpanControls, SetRangeWritesSixSignificantDigits) {
    Page_Span page;
    page.setRange(350.123456f, 10.5f);
    EXPECT_EQ(page.findChild<QLineEdit*>("le_angle")->text(), "350.123");
    EXPECT_EQ(page.findChild<QLineEdit*>("le_angle2")->text(), "10.5");
}

TEST(SpanControls, RangeFieldsTakeOneDecimalUpTo360) {
    Page_Span page;
    for (const char* name : {"le_angle", "le_angle2"}) {
        auto* edit = page.findChild<QLineEdit*>(name);
        edit->clear();
        QTest::keyClicks(edit, "12.34");
        EXPECT_EQ(edit->text(), "12.3") << name;
        const QValidator* v = edit->validator();
        ASSERT_NE(v, nullptr);
        auto state = [v](QString s) {
            int pos = 0;
            return v->validate(s, pos);
        };
        EXPECT_EQ(state("360"), QValidator::Acceptable);
        EXPECT_EQ(state("0.5"), QValidator::Acceptable);
        EXPECT_NE(state("360.5"), QValidator::Acceptable);
        EXPECT_NE(state("400"), QValidator::Acceptable);
        EXPECT_NE(state("-1"), QValidator::Acceptable);
        EXPECT_NE(state("abc"), QValidator::Acceptable);
    }
}

// ---------------------------------------------------------------- translations

TEST(SpanTranslation, EnglishCatalogueTranslatesThePage) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(VANTREL_QM_DIR "/English.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        Page_Span page;
        EXPECT_EQ(page.findChild<QLabel*>("lb_range")->text(), "Angle range:");
        EXPECT_EQ(page.findChild<QPushButton*>("pb_query")->text(), "Query");
        EXPECT_EQ(page.findChild<QPushButton*>("pb_scope")->text(), "Mark range");
        EXPECT_EQ(page.findChild<QPushButton*>("pb_cancel")->text(), "Cancel");
    }
    QCoreApplication::removeTranslator(&translator);
}
