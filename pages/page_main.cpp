#include "page_main.h"

#include <QIcon>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QStringList>
#include <string>

#include "settings.h"
#include "ui_page_main.h"

Page_Main::Page_Main(QWidget* parent) : QWidget(parent), ui(new Ui::Page_Main) {
    ui->setupUi(this);
    setProperty("Class", QStringLiteral("Page_Main"));

    loadHistory();

    // Quick functions sit side by side as large icons, like a launcher.
    ui->listWidget_Navigation->setViewMode(QListView::IconMode);
    ui->listWidget_Navigation->setFlow(QListView::LeftToRight);
    ui->listWidget_Navigation->setMovement(QListView::Static);
    ui->listWidget_Navigation->setResizeMode(QListView::Adjust);
    ui->listWidget_Navigation->setIconSize(QSize(80, 80));
    const QIcon funcIcon(QStringLiteral(":/resource/func.png"));
    for (int i = 0; i < 2; ++i) {
        auto* item = new QListWidgetItem(funcIcon, QString(), ui->listWidget_Navigation);
        item->setData(Qt::UserRole, i);
    }
    setTexts();
}

// Texts set in code rather than in the form; set again on a language switch.
void Page_Main::setTexts() {
    ui->textBrowser_introduct->setPlainText(
        tr("\tThe  lidar upper computer software is mainly used as a visualization tool for the "
           "company's  lidar series products."));
    const QString functions[] = {tr("save log"), tr("open dev")};
    for (int i = 0; i < 2 && i < ui->listWidget_Navigation->count(); ++i)
        ui->listWidget_Navigation->item(i)->setText(functions[i]);
}

void Page_Main::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        setTexts();
    }
    QWidget::changeEvent(event);
}

Page_Main::~Page_Main() {
    delete ui;
}

void Page_Main::loadHistory() {
    ui->listWidget_history->clear();
    const Settings& settings = Settings::instance();
    for (int i = 0; i < kMaxHistory; ++i) {
        const std::string value = settings.Read("History", "history" + std::to_string(i));
        if (value.empty()) break;
        QString text = QString::fromStdString(value);
        text.replace(QLatin1Char('|'), QLatin1Char('\n'));
        ui->listWidget_history->addItem(text);
    }
}

void Page_Main::on_listWidget_Navigation_itemDoubleClicked(QListWidgetItem* item) {
    if (!item) return;
    bool ok = false;
    const int number = item->data(Qt::UserRole).toInt(&ok);
    if (ok && (number == 0 || number == 1)) emit sig_skipFunc(number);
}

void Page_Main::on_listWidget_history_itemDoubleClicked(QListWidgetItem* item) {
    if (!item) return;
    const QStringList lines = item->text().split(QLatin1Char('\n'));
    // Lines: Time, Model, Type ("Type:UDP"), Info ("Info:ip:port") and Remote
    // ("Remote:ip:port", empty after the colon for serial rows). An entry
    // edited by hand into another shape is refused rather than half-read.
    const QStringList info = lines.size() == 5 ? lines[3].split(QLatin1Char(':')) : QStringList();
    if (lines.size() != 5 || !lines[2].contains(QLatin1Char(':')) || info.size() != 3) {
        QMessageBox::warning(this, tr("warm"), tr("config.ini file is not correct!"));
        return;
    }
    const QString type = lines[2].section(QLatin1Char(':'), 1);
    const QString ipCom = info[1];
    const int remotePort = info[2].toInt();
    const QStringList remote = lines[4].split(QLatin1Char(':'));
    const int portBaud = remote.size() == 3 ? remote[2].toInt() : 0;

    emit sig_wait(1);
    emit sig_start(type, ipCom, portBaud, remotePort);
}

void Page_Main::on_pb_audit_clicked() {
    emit sig_showAudit();
}
