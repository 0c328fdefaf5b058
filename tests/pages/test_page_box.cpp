// The algorithm box page against the simulated box on loopback: the box list
// and status grid from status datagrams, the stale rule, the scanner lists and
// their checks, the new-address rules, and the upgrade. Status datagrams are
// handed to the page as the main window does; commands travel over UDP.
// Every change the page makes lands on a scratch audit trail.

#include <gtest/gtest.h>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "audit_writer.h"
#include "box_peer.h"
#include "box_sim.h"
#include "firmware_image.h"
#include "ipaddress.h"
#include "netguard.h"
#include "page_box.h"
#include "page_test_support.h"
#include "qt_wait.h"

using pagetest::BoxAnswerer;

namespace {

constexpr int kWaitMs = 8000;

QByteArray bytes(const std::vector<uint8_t>& d) {
    return QByteArray(reinterpret_cast<const char*>(d.data()), int(d.size()));
}

QByteArray status(const std::string& ip, size_t size = 312) {
    return bytes(
        boxpeer::statusDatagram(size, ip, "255.255.255.0", "10.1.1.1",
                                {{"192.168.158.10", 2, 5}, {"192.168.158.11", 1, 0x0801}, {"x", 3, 0}}, 3));
}

class BoxPage : public ::testing::Test {
protected:
    void SetUp() override {
        audit_set_directory(dir.filePath("trail"));
        page.setWorkerPorts(0, kBoxCommandPort);
        page.resize(1100, 640);
        page.show();
        list = page.findChild<QListWidget*>("listWidget");
        before = page.findChild<QTableView*>("tableView_before");
        portA = page.findChild<QTableView*>("tableView_after");
        portB = page.findChild<QTableView*>("tableView_after2");
        ASSERT_TRUE(list && before && portA && portB);
    }
    void TearDown() override {
        audit_flush();
        audit_set_directory({});
    }

    // The box changes on the trail so far, oldest first, as "command outcome".
    static QStringList boxChanges(const QString& address) {
        EXPECT_TRUE(audit_flush());
        QStringList out;
        for (const AuditRecord& r : read_audit_log(audit_file_path()).records) {
            if (r.operation != audit::kBoxChange) continue;
            EXPECT_EQ(r.link, "BOX");
            EXPECT_EQ(r.address, address);
            EXPECT_EQ(r.program, "vantrel");
            out << r.command + ' ' + r.outcome;
        }
        return out;
    }

    // Starts a simulated box at `ip` with one scanner on each port.
    void startBox(const char* ip) {
        sim::BoxOptions o;
        o.address = QString::fromLatin1(ip);
        o.statusPort = 0;  // the test hands the page its status datagrams
        o.logCommands = false;
        o.rebootDelayMs = 50;
        o.firmwareOut = dir.filePath("received.bin");
        o.scanners = {{"192.168.158.10", 2368, 0}, {"192.168.158.11", 2368, 1}};
        box = std::make_unique<sim::BoxSimulator>(o);
        ASSERT_TRUE(box->start());
        page.startBoxWorker();
        ASSERT_TRUE(
            testsupport::waitUntil([&] { return page.worker() && page.worker()->boundPort() > 0; }, kWaitMs));
    }

    void clickItem(int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void clickRow(QTableView* view, int row) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    }
    void press(const char* name) { QTest::mouseClick(page.findChild<QPushButton*>(name), Qt::LeftButton); }
    static QStringList rows(QTableView* view) {
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            out << view->model()->index(r, 0).data().toString();
        return out;
    }
    QString gridText(int row, int column) const {
        auto* g = page.findChild<QGridLayout*>("gridLayout_status");
        QLayoutItem* item = g ? g->itemAtPosition(row, column) : nullptr;
        auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
        return label ? label->text() : QString();
    }
    QString indicatorStyle(int i) const {
        auto* l = page.findChild<QLabel*>(QStringLiteral("lb_indicator%1").arg(i));
        return l ? l->styleSheet() : QString();
    }
    // Selects the box and waits until its lists, version and network arrived.
    void selectBox(const char* ip) {
        page.showBoxStatus(status(ip));
        clickItem(0);
        ASSERT_TRUE(testsupport::waitUntil(
            [&] {
                return rows(portA).size() == 1 && !page.findChild<QLabel*>("lb_version")->text().isEmpty();
            },
            kWaitMs));
    }

    QTemporaryDir dir;
    Page_Box page;
    std::unique_ptr<sim::BoxSimulator> box;
    QListWidget* list = nullptr;
    QTableView* before = nullptr;
    QTableView* portA = nullptr;
    QTableView* portB = nullptr;
};

}  // namespace

// ---------------------------------------------------------------- status

TEST_F(BoxPage, LongStatusDatagramIsShownLikeTheRecord) {
    for (size_t size : {size_t(320), size_t(312)}) {
        page.showBoxStatus(status("10.1.1.50", size));
        ASSERT_EQ(list->count(), 1) << size;
        clickItem(0);
        EXPECT_EQ(page.selectedBox(), "10.1.1.50");
        EXPECT_EQ(gridText(0, 1), "192.168.158.10") << size;
        EXPECT_EQ(gridText(1, 1), "192.168.158.11");
        EXPECT_EQ(gridText(0, 3), "000000000101") << "a status word of 5 is twelve digits ending in 101";
        EXPECT_EQ(gridText(1, 3), "100000000001");
        EXPECT_TRUE(indicatorStyle(0).contains("rgb(0,255,0)"));
        EXPECT_TRUE(indicatorStyle(1).contains("rgb(255,255,0)"));
        EXPECT_TRUE(indicatorStyle(2).contains("rgb(255,0,0)"));
        EXPECT_EQ(page.findChild<IPAddress*>("ipaddress_gateway")->text(), "10.1.1.1");
    }
}

TEST_F(BoxPage, IndicatorsOfASilentBoxTurnGreyWhateverOtherBoxesSay) {
    page.showBoxStatus(status("10.1.1.50"));
    clickItem(0);
    ASSERT_TRUE(indicatorStyle(0).contains("rgb(0,255,0)"));
    // Another box keeps talking; the selected one is silent.
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { page.showBoxStatus(status("10.1.1.60")); });
    other.start(300);
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return indicatorStyle(0).contains("rgb(190,190,190)"); }, kWaitMs));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(indicatorStyle(i).contains("rgb(190,190,190)")) << i;
    EXPECT_EQ(list->count(), 2);
}

// ---------------------------------------------------------------- commands

TEST_F(BoxPage, RowsMovedToAPortAreAddedAndMovedBackAreRemoved) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    startBox("127.0.0.32");
    selectBox("127.0.0.32");
    EXPECT_EQ(rows(portA), QStringList{"192.168.158.10:2368"});
    EXPECT_EQ(rows(portB), QStringList{"192.168.158.11:2368"});
    EXPECT_EQ(page.findChild<QLabel*>("lb_version")->text(), "BOX-1.0.3");
    auto* model = qobject_cast<QStandardItemModel*>(before->model());
    press("pb_edit");
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->item(0)->text(), "please edit!");
    model->item(0)->setText("10.0.0.2:2368");  // the operator overwrites it
    clickRow(before, 0);
    press("pb_input2");
    ASSERT_TRUE(testsupport::waitUntil([&] { return rows(portB).contains("10.0.0.2:2368"); }, kWaitMs));
    EXPECT_EQ(rows(before), QStringList());
    // The page moves the row at once; the box takes the LSADD a moment later.
    EXPECT_TRUE(testsupport::waitUntil(
        [&] {
            const std::vector<BoxScannerEntry> added = box->scanners();
            return std::find(added.begin(), added.end(), BoxScannerEntry{"10.0.0.2", 2368, 1}) != added.end();
        },
        kWaitMs));

    clickRow(portA, 0);
    press("pb_output");
    ASSERT_TRUE(testsupport::waitUntil([&] { return rows(portA).isEmpty() && box->scanners().size() == 2; },
                                       kWaitMs));
    EXPECT_EQ(rows(before), QStringList{"192.168.158.10:2368"});
    ASSERT_TRUE(testsupport::waitUntil([&] { return boxChanges("127.0.0.32:6666").size() == 2; }, kWaitMs));
    EXPECT_EQ(boxChanges("127.0.0.32:6666"),
              QStringList({"LSADD:10.0.0.2 2368 1 accepted", "LSDEL:192.168.158.10 2368 0 accepted"}));
}

TEST_F(BoxPage, AChangeTheBoxNeverAnswersIsAuditedAsUnanswered) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    page.startBoxWorker();
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return page.worker() && page.worker()->boundPort() > 0; }, kWaitMs));
    page.showBoxStatus(status("127.0.0.36"));  // nothing listens there
    clickItem(0);
    auto* model = qobject_cast<QStandardItemModel*>(before->model());
    model->appendRow(new QStandardItem("10.0.0.9:2368"));
    clickRow(before, 0);
    press("pb_input");
    EXPECT_TRUE(boxChanges("127.0.0.36:6666").isEmpty()) << "still waiting for the reply";
    ASSERT_TRUE(testsupport::waitUntil([&] { return !boxChanges("127.0.0.36:6666").isEmpty(); }, kWaitMs));
    EXPECT_EQ(boxChanges("127.0.0.36:6666"), QStringList{"LSADD:10.0.0.9 2368 0 no answer"});
}

TEST_F(BoxPage, RefusedRowsSendNothingAndGoBackToBeCorrected) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    startBox("127.0.0.33");
    selectBox("127.0.0.33");
    BoxAnswerer answer(QMessageBox::Ok);
    auto* model = qobject_cast<QStandardItemModel*>(before->model());
    const int accepted = box->commandsAccepted();
    const struct {
        const char* row;
        const char* message;
    } cases[] = {
        {"1.2.3.4:80", "add lidar config failed:port range error,row:2"},
        {"1.2.3:2368", "add lidar config failed:format error,row:2"},
        {"300.2.3.4:2368", "add lidar config failed:ip format error,row:2"},
        {"192.168.158.10:2368", "Configuration already exists, please add it again"},
    };
    for (const auto& c : cases) {
        model->appendRow(new QStandardItem(QString::fromLatin1(c.row)));
        clickRow(before, model->rowCount() - 1);
        press("pb_input");
        EXPECT_EQ(answer.seen.text, QString::fromLatin1(c.message)) << c.row;
        EXPECT_EQ(answer.seen.title, "error");
        EXPECT_TRUE(rows(before).contains(QString::fromLatin1(c.row))) << c.row;
        EXPECT_EQ(rows(portA), QStringList{"192.168.158.10:2368"});
    }
    EXPECT_EQ(answer.seen.count, 4);
    // A round trip the box does answer proves nothing else went out before it.
    page.on_pb_version_clicked();
    ASSERT_TRUE(testsupport::waitUntil([&] { return box->commandsAccepted() == accepted + 1; }, kWaitMs));
    EXPECT_EQ(box->scanners().size(), 2u);
}

TEST_F(BoxPage, NewAddressIsCheckedBeforeTheBoxIsTold) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    startBox("127.0.0.34");
    selectBox("127.0.0.34");
    BoxAnswerer answer(QMessageBox::Ok);
    auto* ip = page.findChild<IPAddress*>("ipaddress_ip");
    auto* setButton = page.findChild<QPushButton*>("pb_setbox");
    // The selection filled the fields from the box's own answer.
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return page.findChild<IPAddress*>("ipaddress_gateway")->text() == "127.0.0.1"; }, kWaitMs));
    EXPECT_EQ(ip->text(), "127.0.0.34");

    // Half typed.
    ip->clear();
    press("pb_setbox");
    EXPECT_EQ(answer.seen.text, "Please enter a complete IP address, mask and gateway");

    // The box's own scanner network, even with nothing answering there.
    ip->setValue("192.168.158.20");
    press("pb_setbox");
    EXPECT_EQ(answer.seen.text, "IP is occupied, please reset");
    EXPECT_EQ(answer.seen.count, 2);
    // An address something answers on (loopback answers for all of 127/8).
    ip->setValue("127.0.0.77");
    press("pb_setbox");
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return answer.seen.count == 3 && setButton->isEnabled(); }, kWaitMs));
    EXPECT_EQ(answer.seen.text, "IP is occupied, please reset");
    EXPECT_EQ(box->address(), "127.0.0.34");

    // A free address goes to the box, which reboots under it.
    ip->setValue("10.20.30.40");
    press("pb_setbox");
    ASSERT_TRUE(testsupport::waitUntil([&] { return answer.seen.texts.contains("algorithm box is reboot!"); },
                                       kWaitMs));
    EXPECT_EQ(answer.seen.title, "warm");
    EXPECT_EQ(box->address(), "10.20.30.40");
    EXPECT_EQ(list->count(), 0) << "the box is listed again with its next status datagram";
    page.showBoxStatus(status("10.20.30.40"));
    EXPECT_EQ(list->item(0)->text(), "10.20.30.40");
    EXPECT_EQ(boxChanges("127.0.0.34:6666"),
              QStringList{"LSNET:10.20.30.40 255.255.255.0 127.0.0.1 accepted"})
        << "refused addresses never reach the box";
}

TEST_F(BoxPage, UpgradeShowsTheWaitDialogAndItsResult) {
    VANTREL_REQUIRE_PRIVATE_NETWORK();
    startBox("127.0.0.35");
    selectBox("127.0.0.35");
    BoxAnswerer answer(QMessageBox::Ok);
    QSignalSpy wait(&page, &Page_Box::sig_wait);
    auto* path = page.findChild<QLineEdit*>("le_path");

    path->setText(dir.filePath("none.bin"));
    press("pb_upgrade");
    EXPECT_EQ(answer.seen.text, dir.filePath("none.bin") + " is not exist!");
    EXPECT_EQ(wait.count(), 0);

    std::vector<uint8_t> payload(2048, 0x42);
    const std::vector<uint8_t> image = pack_firmware_image(payload.data(), payload.size());
    ASSERT_TRUE(boxpeer::writeFile(dir.filePath("box.bin").toStdString(), image));
    path->setText(dir.filePath("box.bin"));
    press("pb_upgrade");
    ASSERT_EQ(wait.count(), 1);
    EXPECT_TRUE(wait.at(0).at(0).toBool());
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return answer.seen.texts.contains("firmware upgrade OK!"); }, 20000));
    EXPECT_EQ(answer.seen.title, "warm");
    ASSERT_EQ(wait.count(), 2);
    EXPECT_FALSE(wait.at(1).at(0).toBool());
    EXPECT_EQ(box->firmwareImagesAccepted(), 1);
    EXPECT_EQ(boxChanges("127.0.0.35:6666"), QStringList{"box.bin succeeded"});
    const AuditRecord last = read_audit_log(audit_file_path()).records.back();
    EXPECT_EQ(last.imageCrc, audit_firmware_crc(dir.filePath("box.bin")));
    EXPECT_TRUE(last.imageCrc.has_value());
}
