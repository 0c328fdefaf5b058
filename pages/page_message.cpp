#include "page_message.h"

#include <QFileDialog>
#include <QMessageBox>

namespace pagemsg {

namespace {

MessageHook& messageHook() {
    static MessageHook hook;
    return hook;
}

FileHook& fileHook() {
    static FileHook hook;
    return hook;
}

}  // namespace

void setMessageHook(MessageHook hook) {
    messageHook() = std::move(hook);
}

void show(QWidget* parent, const QString& title, const QString& text) {
    if (messageHook()) {
        messageHook()(title, text);
        return;
    }
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

void setFileHook(FileHook hook) {
    fileHook() = std::move(hook);
}

QString chooseFile(QWidget* parent, FileChoice kind, const QString& caption, const QString& dir,
                   const QString& filter, QString* selectedFilter) {
    if (fileHook()) return fileHook()(kind, caption, dir, filter);
    switch (kind) {
        case FileChoice::OpenFile:
            return QFileDialog::getOpenFileName(parent, caption, dir, filter, selectedFilter);
        case FileChoice::SaveFile:
            return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter);
        case FileChoice::Directory:
            return QFileDialog::getExistingDirectory(parent, caption, dir);
    }
    return {};
}

}  // namespace pagemsg
