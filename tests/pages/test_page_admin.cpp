// The admin window: the command console (selector per link type, rows of
// commands and replies) and packing a file into the box image "test.bin".

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "firmware_image.h"
#include "page_admin.h"
#include "page_test_support.h"

using pagetest::BoxAnswerer;

namespace {

QString cell(const Page_Admin& page, int row, int column) {
    const QStandardItem* item = page.model()->item(row, column);
    return item ? item->text() : QString();
}

TEST(AdminPage, ConsoleOffersFrameModesOnlyOnFramedLinks) {
    Page_Admin page;
    page.show();
    auto* pack = page.findChild<QComboBox*>("cb_pack");
    auto* text = page.findChild<QLineEdit*>("le_cmd");
    QSignalSpy sent(&page, &Page_Admin::sig_cmd);
    EXPECT_EQ(page.model()->headerData(0, Qt::Horizontal).toString(), "CMD");
    EXPECT_EQ(page.model()->headerData(1, Qt::Horizontal).toString(), "RETURN");
    EXPECT_TRUE(page.findChild<QTableView*>()->verticalHeader()->isHidden());
    // The form's own texts (no catalogue loaded here).
    EXPECT_EQ(page.findChild<QGroupBox*>("groupBox")->title(), "盒子相关");
    EXPECT_EQ(page.findChild<QPushButton*>("pb_exepack")->text(), "可执行文件打包");

    page.setLinkType("UDP");
    ASSERT_EQ(pack->count(), 2);
    EXPECT_TRUE(pack->isVisible());
    pack->setCurrentIndex(1);
    text->setText("LSRPM:900H");
    page.findChild<QPushButton*>("pb_send")->click();
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toInt(), 83);
    EXPECT_EQ(sent.at(0).at(1).toString(), "LSRPM:900H");
    EXPECT_EQ(cell(page, 0, 0), "LSRPM:900H/S_PACK");

    page.addReply("LSRPM:OK");
    EXPECT_EQ(cell(page, 1, 1), "LSRPM:OK");  // a new row below the last

    page.setLinkType("UART");
    EXPECT_EQ(pack->count(), 0);
    EXPECT_FALSE(pack->isVisible());
    text->setText("LSTOPH");
    page.findChild<QPushButton*>("pb_send")->click();
    ASSERT_EQ(sent.count(), 2);
    EXPECT_EQ(sent.at(1).at(0).toInt(), 0);  // bare text on a serial line
    EXPECT_EQ(cell(page, 2, 0), "LSTOPH/");
}

class AdminPack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void TearDown() override { QDir::setCurrent(m_previous); }
    QString input(const QByteArray& bytes) {
        const QString path = m_dir.filePath("app.exe");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QByteArray output() const {
        QFile f(m_dir.filePath("test.bin"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Packs `path` as if chosen in the file dialog; returns the box shown.
    pagetest::SeenBox pack(const QString& path) {
        Page_Admin page;
        page.setFileChooser([path] { return path; });
        BoxAnswerer answer(QMessageBox::Ok);
        page.findChild<QPushButton*>("pb_exepack")->click();
        return answer.seen;
    }

    QTemporaryDir m_dir;
    QString m_previous;
};

TEST_F(AdminPack, InputIsPaddedToWholePiecesAndReplacesAnEarlierImage) {
    for (const int size : {1000, 512}) {
        const QByteArray bytes(size, char(size & 0x7F));
        const QString path = input(bytes);
        const pagetest::SeenBox box = pack(path);
        EXPECT_EQ(box.text, "Generate bin OK");
        const QByteArray image = output();
        const int length = (size + 511) / 512 * 512;
        ASSERT_EQ(image.size(), length + 652) << size;
        EXPECT_EQ(image.mid(652, size), bytes);
        EXPECT_EQ(image.mid(652 + size), QByteArray(length - size, '\0'));
        EXPECT_EQ(
            check_firmware_image(reinterpret_cast<const uint8_t*>(image.constData()), size_t(image.size())),
            FirmwareImageCheck::Ok);
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        EXPECT_EQ(in.readAll(), bytes);  // the chosen input is left alone
    }
}

TEST_F(AdminPack, FailuresAreReportedAndNeverCalledSuccess) {
    const pagetest::SeenBox missing = pack(m_dir.filePath("missing.exe"));
    EXPECT_EQ(missing.title, "error");
    EXPECT_EQ(missing.text, m_dir.filePath("missing.exe") + " is open failed!");

    const pagetest::SeenBox empty = pack(input(QByteArray()));
    EXPECT_EQ(empty.title, "error");

    // test.bin cannot be written: a directory of that name is in the way.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("test.bin"));
    const pagetest::SeenBox blocked = pack(input(QByteArray(10, 'x')));
    EXPECT_EQ(blocked.title, "error");
    EXPECT_TRUE(blocked.text.endsWith("could not be written!")) << blocked.text.toStdString();
}

}  // namespace
