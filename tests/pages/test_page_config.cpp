// The configuration page on its own: which import choices each link offers,
// what an import of a parameter file sends (and refuses to send), the export
// request, the settings it keeps, and the firmware group's requests.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "metatypes.h"
#include "page_config.h"
#include "page_message.h"
#include "page_test_support.h"
#include "param_file.h"
#include "sample_block.h"

using pagetest::ScratchSettings;

namespace {

struct Message {
    QString title;
    QString text;
};

class PageConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        pagemsg::setMessageHook([this](const QString& title, const QString& text) {
            m_messages.push_back({title, text});
        });
        pagemsg::setFileHook(
            [this](pagemsg::FileChoice, const QString& caption, const QString&, const QString&) {
                m_captions << caption;
                return m_chosen;
            });
        m_page.show();
    }
    void TearDown() override {
        pagemsg::setMessageHook({});
        pagemsg::setFileHook({});
    }

    template <class T>
    T* child(const char* name) {
        return m_page.findChild<T*>(QString::fromLatin1(name));
    }
    void check(std::initializer_list<const char*> boxes) {
        for (const char* box : boxes) child<QCheckBox>(box)->setChecked(true);
    }
    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    void writeFile(const char* name, const QByteArray& bytes) {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    // The file chooser answers `name` next; then the import button is pressed.
    void importFile(const char* name) {
        m_chosen = file(name);
        child<QPushButton>("pb_importone")->click();
    }
    QStringList importedCommands() const {
        if (m_imports.isEmpty()) return {};
        return m_imports.last().at(0).toStringList();
    }

    static EEpromV101 block(const char* model) {
        EEpromV101 b = testsupport::sampleNetworkBlock(model);
        b.rpm = 900;
        b.smt = 1;
        b.fir = 3;
        b.cir = 2;
        b.azn = 0x12;
        b.pst = 3;
        b.pnpBits = 0x01;
        // 921600 for serial blocks: bytes 48..50 low byte first.
        return b;
    }
    static QByteArray section(const char* tag, const QByteArray& body) {
        QByteArray s(tag, 4);
        const uint32_t n = uint32_t(body.size());
        for (int i = 0; i < 4; ++i) s.append(char(n >> (8 * i)));
        return s + body;
    }
    static QByteArray bytesOf(const EEpromV101& b) {
        return QByteArray(reinterpret_cast<const char*>(&b), sizeof b);
    }

    struct Types {
        Types() { registerTaskMetaTypes(); }
    } m_types;
    ScratchSettings m_settings;
    QTemporaryDir m_dir;
    Page_Config m_page;
    QSignalSpy m_imports{&m_page, &Page_Config::sig_import_Cmds};
    QSignalSpy m_uploads{&m_page, &Page_Config::sig_UploadZone};
    QSignalSpy m_status{&m_page, &Page_Config::sig_synstatus};
    std::vector<Message> m_messages;
    QStringList m_captions;
    QString m_chosen;
};

}  // namespace

TEST_F(PageConfigTest, ChoicesOfferedFollowTheLink) {
    const char* const kBoxes[] = {"cb_post", "cb_io", "cb_baud", "cb_zone", "cb_run", "cb_web"};
    const struct {
        const char* type;
        bool isBox;
        bool visible[6];
    } cases[] = {
        {"UART", false, {false, true, true, true, true, false}},
        {"UDP", true, {false, false, false, true, false, false}},
        {"UDP", false, {true, true, false, true, true, true}},
        {"VPC", false, {true, true, false, true, true, true}},
    };
    for (const auto& c : cases) {
        check({"cb_io", "cb_run"});
        m_page.setUI(true, QString::fromLatin1(c.type), QStringLiteral("TQX-H540-S"), c.isBox);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(child<QCheckBox>(kBoxes[i])->isVisibleTo(&m_page), c.visible[i])
                << c.type << " " << kBoxes[i];
        EXPECT_FALSE(child<QCheckBox>("cb_io")->isChecked());  // every connect starts unchecked
        EXPECT_TRUE(child<QGroupBox>("groupBox_2")->isEnabled());
    }
    m_page.setUI(false, QString(), QString(), false);
    EXPECT_FALSE(child<QGroupBox>("groupBox_2")->isEnabled());
}

TEST_F(PageConfigTest, ImportAndExportNeedAScanner) {
    // The group is off without a scanner; the check behind it holds as well.
    m_page.on_pb_importone_clicked();
    m_page.on_pb_export_clicked();
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[0].text, "please connect lidar first!");
    EXPECT_EQ(m_messages[1].text, "please connect lidar first!");
    EXPECT_TRUE(m_captions.isEmpty());
}

TEST_F(PageConfigTest, ExportMarksItsWaitAndAsksForTheBlock) {
    QSignalSpy read(&m_page, &Page_Config::sig_GS_PACK);
    m_page.setUI(true, QStringLiteral("UDP"), QStringLiteral("TQX-H540-S"), false);
    child<QPushButton>("pb_export")->click();
    ASSERT_EQ(m_status.count(), 1);
    EXPECT_TRUE(m_status.at(0).at(0).toBool());
    EXPECT_EQ(m_status.at(0).at(1).toInt(), 4);
    EXPECT_EQ(read.count(), 1);
}

TEST_F(PageConfigTest, ImportSendsTheChosenGroupsOfTheSameModel) {
    EEpromV101 b = block("TQX-H540-S");
    // An unknown section before the block changes nothing.
    writeFile("same.lidar", section("xtra", "12345") + section("v101", bytesOf(b)));
    m_page.setUI(true, QStringLiteral("UDP"), QStringLiteral("TQX-H540-S"), false);
    check({"cb_io", "cb_web"});
    importFile("same.lidar");
    EXPECT_EQ(importedCommands(),
              (QStringList{"LSOUT:00000000000000000000000000000000H", "LSPNP:10000000H",
                           "LSUDP:192.168.001.010 255.255.255.000 192.168.001.001 02111H"}));
    EXPECT_EQ(QString::fromStdString(Settings::instance().Read("Standard", "ImportPath")),
              file("same.lidar"));
    EXPECT_TRUE(m_page.importNote().isEmpty());
    EXPECT_EQ(m_uploads.count(), 0);
}

TEST_F(PageConfigTest, AnotherModelsFileSendsNoCommands) {
    writeFile("other.lidar", section("v101", bytesOf(block("TQX-H520-S"))));
    m_page.setUI(true, QStringLiteral("UDP"), QStringLiteral("TQX-H540-S"), false);
    check({"cb_io", "cb_web", "cb_run", "cb_post"});
    importFile("other.lidar");
    ASSERT_EQ(m_imports.count(), 1);
    EXPECT_TRUE(importedCommands().isEmpty());
    EXPECT_TRUE(m_page.importNote().contains("TQX-H520-S"));
}

TEST_F(PageConfigTest, SerialImportEndsWithBaudAndNoZoneSwitchingBelowIoLevelTwo) {
    EEpromV101 b = block("TQX-70K-R");  // "I/O" 0 in the model table
    b.ip[0] = 0x00;
    b.ip[1] = 0x10;
    b.ip[2] = 0x0E;  // 921600
    writeFile("serial.lidar", section("v101", bytesOf(b)));
    m_page.setUI(true, QStringLiteral("UART"), QStringLiteral("TQX-70K-R"), false);
    check({"cb_run", "cb_baud"});
    importFile("serial.lidar");
    EXPECT_EQ(importedCommands(), (QStringList{"LSRPM:900H", "LSSS1H", "LFFF0H", "LSFIR:3H", "LSCIR:2H",
                                               "LSAZN:2H", "LSPST:3H", "LSBPS:921600H"}));

    // The same file into a model of I/O level 2 ends with the switching mode.
    std::memset(b.typeId, 0, sizeof b.typeId);
    std::memcpy(b.typeId, "TQX-H400-A", 10);
    writeFile("serial2.lidar", section("v101", bytesOf(b)));
    m_page.setUI(true, QStringLiteral("UART"), QStringLiteral("TQX-H400-A"), false);
    check({"cb_run", "cb_baud"});
    importFile("serial2.lidar");
    EXPECT_EQ(importedCommands().last(), "LSZTP:1H");
}

TEST_F(PageConfigTest, DamagedFilesAreRefusedWithTheirReason) {
    EEpromV101 b = block("TQX-H540-S");
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"short.lidar", section("v101", bytesOf(b)).left(60), "The parameter file is cut short."},
        {"length.lidar", section("v101", bytesOf(b).left(150)),
         "The parameter file has a section of the wrong length."},
        {"text.txt", QByteArray("\x01\x02\x03\x04 plain", 10), "The file is not a lidar parameter file."},
        {"model.lidar", section("v101", bytesOf(block("TQX\x07H540"))),
         "The parameter block in the file names no valid lidar model."},
    };
    m_page.setUI(true, QStringLiteral("UDP"), QStringLiteral("TQX-H540-S"), false);
    for (const auto& c : cases) {
        m_messages.clear();
        writeFile(c.name, c.bytes);
        check({"cb_io", "cb_run", "cb_zone"});
        importFile(c.name);
        ASSERT_EQ(m_messages.size(), 1u) << c.name;
        EXPECT_EQ(m_messages[0].title, "error");
        EXPECT_EQ(m_messages[0].text, QString::fromLatin1(c.message));
    }
    m_messages.clear();
    importFile("missing.lidar");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "load file error!");
    EXPECT_EQ(m_imports.count(), 0);
    EXPECT_EQ(m_uploads.count(), 0);
}

TEST_F(PageConfigTest, ZonesGoFirstThenTheParameters) {
    const QByteArray zoneImage(int(kZoneImageSize), '\x5A');
    writeFile("zones.lidar", section("zone", zoneImage) + section("v101", bytesOf(block("TQX-H540-S"))));
    m_page.setUI(true, QStringLiteral("UDP"), QStringLiteral("TQX-H540-S"), false);
    m_page.setZoneImportEnabled(true);
    check({"cb_zone", "cb_run"});
    importFile("zones.lidar");
    ASSERT_EQ(m_uploads.count(), 1);
    const auto* image = reinterpret_cast<const char*>(m_uploads.at(0).at(0).value<ZoneDef*>());
    EXPECT_EQ(QByteArray(image, int(kZoneImageSize)), zoneImage);
    ASSERT_EQ(m_status.count(), 1);
    EXPECT_EQ(m_status.at(0).at(1).toInt(), 3);  // the zone write belongs to an import
    EXPECT_EQ(m_imports.count(), 0);
    m_page.importParameters();  // the main window, when the zones are written
    ASSERT_EQ(m_imports.count(), 1);
    EXPECT_EQ(importedCommands().first(), "LSRPM:0900H");

    // A scanner without zones takes none.
    m_page.setZoneImportEnabled(false);
    EXPECT_FALSE(child<QCheckBox>("cb_zone")->isChecked());
}

TEST_F(PageConfigTest, SettingsAreKept) {
    QComboBox* language = child<QComboBox>("cb_language");
    language->setCurrentIndex(language->findText("Chinese"));
    QMetaObject::invokeMethod(language, "activated", Q_ARG(QString, QStringLiteral("Chinese")));
    EXPECT_EQ(Settings::instance().Read("Standard", "Language"), "Chinese");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "The Language configuration must be rebooted to take effect");

    m_chosen = m_dir.path();
    child<QPushButton>("pb_choosedir")->click();
    EXPECT_EQ(child<QLineEdit>("le_savepath")->text(), m_dir.path());
    EXPECT_EQ(QString::fromStdString(Settings::instance().Read("Standard", "Logpath")), m_dir.path());

    // Cancelling a dialog changes nothing.
    m_chosen.clear();
    child<QPushButton>("pb_choosedir")->click();
    EXPECT_EQ(child<QLineEdit>("le_savepath")->text(), m_dir.path());
}

TEST_F(PageConfigTest, FirmwareGroupPairsTargetsAndRefusesWhileConnected) {
    QSignalSpy ask(&m_page, &Page_Config::sig_getDevInfo);
    QSignalSpy upgrade(&m_page, &Page_Config::sig_upgrade);
    EXPECT_FALSE(child<QGroupBox>("groupBox_3")->isEnabled());  // not logged in
    m_page.setRightLevel(1);
    EXPECT_TRUE(child<QGroupBox>("groupBox_3")->isEnabled());

    child<QComboBox>("cb_type")->setCurrentIndex(1);
    emit child<QComboBox>("cb_type")->activated(1);
    EXPECT_EQ(child<QLabel>("lb_upgradearg1")->text(), "IP:");
    child<QPushButton>("pb_checkUse")->click();
    ASSERT_EQ(ask.count(), 1);
    EXPECT_TRUE(ask.at(0).at(0).toBool());

    // No device found yet: nothing starts.
    child<QPushButton>("pb_upgrade")->click();
    EXPECT_EQ(upgrade.count(), 0);

    m_page.fillUpgradeTargets({"192.168.1.10:2111", "nonsense", "192.168.1.11:2112"});
    ASSERT_EQ(child<QComboBox>("cb_upgradearg1")->count(), 2);
    emit child<QComboBox>("cb_upgradearg1")->activated(1);
    EXPECT_EQ(child<QComboBox>("cb_upgradearg2")->currentText(), "2112");

    // The image path goes as it is: a missing file is refused by the worker
    // with its own reason, before anything is sent.
    child<QLineEdit>("le_upgradePath")->setText(file("missing.bin"));
    child<QComboBox>("cb_upgradearg1")->setCurrentIndex(1);
    child<QPushButton>("pb_upgrade")->click();
    ASSERT_EQ(upgrade.count(), 1);
    EXPECT_EQ(upgrade.at(0).at(0).toString(), "192.168.1.11");
    EXPECT_EQ(upgrade.at(0).at(1).toInt(), 2112);
    EXPECT_EQ(upgrade.at(0).at(2).toString(), file("missing.bin"));
    EXPECT_EQ(upgrade.at(0).at(3).toString(), "UDP");

    // Connected: the group closes, and the device check refuses.
    m_page.setUI(true, QStringLiteral("UDP"), QStringLiteral("TQX-H540-S"), false);
    EXPECT_FALSE(child<QGroupBox>("groupBox_3")->isEnabled());
    m_messages.clear();
    m_page.on_pb_checkUse_clicked();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Please make sure to use it offline!");
    EXPECT_EQ(ask.count(), 1);
}

// The form is written in Chinese; the English catalogue turns it into English.
TEST(ConfigTranslation, EnglishCatalogueTranslatesTheChineseForm) {
    ScratchSettings settings;
    pagetest::InstalledCatalogue catalogue(QStringLiteral("English"));
    ASSERT_TRUE(catalogue.loaded);
    Page_Config page;
    EXPECT_EQ(page.findChild<QGroupBox*>("groupBox")->title(), "General settings");
    EXPECT_EQ(page.findChild<QGroupBox*>("groupBox_3")->title(), "Firmware upgrade");
    EXPECT_EQ(page.findChild<QPushButton*>("pb_upgrade")->text(), "Upgrade");
    EXPECT_EQ(page.findChild<QComboBox*>("cb_type")->itemText(1), "Network model");
}
