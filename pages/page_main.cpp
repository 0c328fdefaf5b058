#include "page_main.h"

#include <QIcon>
#include <QListWidgetItem>
#include <QMessageBox>
#include <string>

#include "history_entry.h"
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
        ui->listWidget_history->addItem(history_display_text(QString::fromStdString(value)));
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
    HistoryRequest request;
    if (!parse_history_entry(item->text(), request)) {
        QMessageBox::warning(this, tr("warm"), tr("config.ini file is not correct!"));
        return;
    }

    emit sig_wait(1);
    emit sig_start(request.type, request.ipCom, request.portBaud, request.remotePort);
}

void Page_Main::on_pb_audit_clicked() {
    emit sig_showAudit();
}
