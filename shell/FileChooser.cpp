#include "shell/FileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "procedures/Messages.h"

namespace veltra::shell {

namespace {

QString imageFilter() {
    const std::string_view filter = msg::window::kEepromImageFilter;
    return QString::fromUtf8(filter.data(), qsizetype(filter.size()));
}

}  // namespace

QString DialogFileChooser::saveFile(QWidget* parent, const QString& caption,
                                    const QString& suggested) {
    QDir().mkpath(QFileInfo(suggested).absolutePath());
    return QFileDialog::getSaveFileName(parent, caption, suggested, imageFilter());
}

QString DialogFileChooser::openFile(QWidget* parent, const QString& caption,
                                    const QString& folder) {
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
    }
    return QFileDialog::getOpenFileName(parent, caption, folder, imageFilter());
}

}  // namespace veltra::shell
