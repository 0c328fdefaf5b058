#include "dialog_waitsignal.h"

#include <QMovie>

#include "ui_dialog_waitsignal.h"

// The resources live in a static library; register them before the form
// loads its icon. Must be called outside any namespace.
static void initWaitResources() {
    Q_INIT_RESOURCE(resources);
}

Dialog_WaitSignal::Dialog_WaitSignal(QWidget* parent) : QDialog(parent), ui(new Ui::Dialog_WaitSignal) {
    initWaitResources();
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(1);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowModality(Qt::ApplicationModal);

    m_movie = new QMovie(QStringLiteral(":/resource/wait.gif"), QByteArray(), this);
    ui->label->setMovie(m_movie);
    m_movie->start();
}

Dialog_WaitSignal::~Dialog_WaitSignal() {
    delete ui;
}

void Dialog_WaitSignal::on_pb_close_clicked() {
    hide();
}
