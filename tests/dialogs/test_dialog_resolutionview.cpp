// The resolution table: adding (whole millimetres only), deleting the row
// last clicked, and the table handed back on confirm and on close alike.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

#include "../pages/page_test_support.h"
#include "dialog_resolutionview.h"

namespace {

QStringList names(const QSignalSpy& spy) {
    return spy.last().at(0).toStringList();
}
QStringList values(const QSignalSpy& spy) {
    return spy.last().at(1).toStringList();
}

}  // namespace

TEST(ResolutionView, DistanceWithADecimalPointIsRefused) {
    Dialog_ResolutionView dialog;
    dialog.findChild<QLineEdit*>(QStringLiteral("le_name"))->setText(QStringLiteral("Body"));
    dialog.findChild<QLineEdit*>(QStringLiteral("le_distance"))->setText(QStringLiteral("12.5"));
    pagetest::BoxAnswerer answerer(QMessageBox::Ok);
    dialog.on_pb_add_clicked();
    EXPECT_EQ(answerer.seen.text, QStringLiteral("The distance set is not an integer!"));
    EXPECT_EQ(dialog.rowCount(), 0);

    dialog.findChild<QLineEdit*>(QStringLiteral("le_distance"))->setText(QStringLiteral("7000"));
    dialog.on_pb_add_clicked();
    EXPECT_EQ(dialog.rowCount(), 1);
}

TEST(ResolutionView, MenuEntriesAreDroppedAndTheTableIsPublishedOnConfirmAndOnClose) {
    Dialog_ResolutionView dialog;
    dialog.setMap({"custom", "Hand Detection", "reset", "Leg Detection"}, {"0", "4000", "0", "6000"});
    EXPECT_EQ(dialog.rowCount(), 2);
    QSignalSpy spy(&dialog, &Dialog_ResolutionView::sig_map);

    // A row typed as "reset" is not kept when the table is confirmed.
    dialog.findChild<QLineEdit*>(QStringLiteral("le_name"))->setText(QStringLiteral("reset"));
    dialog.findChild<QLineEdit*>(QStringLiteral("le_distance"))->setText(QStringLiteral("100"));
    dialog.on_pb_add_clicked();
    dialog.show();
    dialog.on_pb_sure_clicked();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(names(spy), QStringList({"Hand Detection", "Leg Detection"}));
    EXPECT_EQ(values(spy), QStringList({"4000", "6000"}));
    EXPECT_FALSE(dialog.isVisible());

    // Deleting the row last clicked, then closing with the window's close button.
    auto* table = dialog.findChild<QTableView*>(QStringLiteral("tableView"));
    dialog.on_tableView_clicked(table->model()->index(0, 0));
    dialog.on_pb_del_clicked();
    dialog.show();
    dialog.close();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(names(spy), QStringList({"Leg Detection"}));
}
