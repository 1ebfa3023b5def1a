#pragma once
// Where the adjustment window asks for an EEPROM image file: the standard file dialogs in the
// program, an answer chosen by the test in tests. Passed in by the entry.
#include <QString>

class QWidget;

namespace veltra::shell {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // A file to write, the dialog opened at suggested (a folder and a file name); "" when the
    // technician cancels. An existing file is overwritten only after the chooser has asked.
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& suggested) = 0;
    // An existing file to read, the dialog opened in folder; "" when the technician cancels.
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& folder) = 0;
};

// The toolkit's standard dialogs, for EEPROM image files. The folder asked for is made first, so
// the default folder need not exist before the first save.
class DialogFileChooser final : public FileChooser {
public:
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested) override;
    QString openFile(QWidget* parent, const QString& caption, const QString& folder) override;
};

}  // namespace veltra::shell
