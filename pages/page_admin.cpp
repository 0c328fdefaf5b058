#include "page_admin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardItemModel>
#include <vector>

#include "firmware_image.h"
#include "ui_page_admin.h"

namespace {

const char* const kHeaderStyle =
    "QHeaderView::section {background-color: rgb(209, 208, 224);color: rgb(27, 20, 100);}";
const char* const kPackOutput = "test.bin";

}  // namespace

Page_Admin::Page_Admin(QWidget* parent) : QWidget(parent), ui(new Ui::Page_Admin) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Admin"));
    m_model = new QStandardItemModel(0, 2, this);
    setHeaderLabels();
    ui->tableView->setModel(m_model);
    ui->tableView->horizontalHeader()->setStyleSheet(QString::fromLatin1(kHeaderStyle));
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->tableView->verticalHeader()->hide();
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, tr("Open File"), QCoreApplication::applicationDirPath(),
                                            tr("box firmware file (*.*)"));
    };
}

Page_Admin::~Page_Admin() {
    delete ui;
}

void Page_Admin::setHeaderLabels() {
    m_model->setHorizontalHeaderLabels({QStringLiteral("CMD"), QStringLiteral("RETURN")});
}

void Page_Admin::warn(const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

void Page_Admin::setLinkType(const QString& type) {
    ui->cb_pack->clear();
    m_linkType = type;
    if (type == QLatin1String("UART")) {
        ui->cb_pack->hide();
        return;
    }
    ui->cb_pack->addItem(QStringLiteral("C_PACK"), kModeC);
    ui->cb_pack->addItem(QStringLiteral("S_PACK"), kModeS);
    ui->cb_pack->show();
}

void Page_Admin::on_pb_send_clicked() {
    const QString text = ui->le_cmd->text();
    const int index = ui->cb_pack->currentIndex();
    const int mode = index >= 0 ? ui->cb_pack->itemData(index).toInt() : 0;
    const int row = m_model->rowCount();
    m_model->setItem(row, 0,
                     new QStandardItem(QStringLiteral("%1/%2").arg(text, ui->cb_pack->currentText())));
    emit sig_cmd(mode, text);
}

void Page_Admin::addReply(const QString& text) {
    m_model->setItem(m_model->rowCount(), 1, new QStandardItem(text));
}

void Page_Admin::on_pb_exepack_clicked() {
    const QString path = m_chooseFile ? m_chooseFile() : QString();
    if (path.isEmpty()) return;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        warn(tr("error"), tr("%1 is open failed!").arg(path));
        return;
    }
    input.close();
    std::vector<uint8_t> bytes;
    if (!load_firmware_file(QFile::encodeName(path).toStdString(), bytes)) {
        warn(tr("error"), tr("%1 is too large or cannot be read!").arg(path));
        return;
    }
    if (bytes.empty()) {
        warn(tr("error"), tr("%1 is empty!").arg(path));
        return;
    }
    const std::vector<uint8_t> image = pack_firmware_image(bytes.data(), bytes.size());
    // Written aside and renamed: an existing test.bin is replaced whole or not at all.
    const QString target = QDir::current().absoluteFilePath(QString::fromLatin1(kPackOutput));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(image.data()), qint64(image.size())) !=
            qint64(image.size()) ||
        !out.commit()) {
        warn(tr("error"), tr("%1 could not be written!").arg(target));
        return;
    }
    warn(tr("warm"), tr("Generate bin OK"));
}

void Page_Admin::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
