#pragma once

#include <QVariant>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class Cursor;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

// Ties the options dialog's plain controls to fields of the options row,
// which the dialog holds in edit mode: a user's change is written into the
// row at once, and load() shows the row in every control again.
class OptionBindings
{
public:
    explicit OptionBindings(Cursor &row)
        : m_row(row)
    { }

    // A check box writes true or false when clicked.
    void check(QCheckBox *box, int field);
    // A drop-down list writes the position the user chose. A stored
    // position outside the list selects nothing and stays as it is.
    void index(QComboBox *list, int field);
    // A text box writes its text as the user types.
    void text(QLineEdit *box, int field);
    // A number box writes its value whenever `read` accepts its text; what
    // it refuses is left to the dialog's "OK" to report.
    using NumberReader = std::function<std::optional<int>(const QString &)>;
    void number(QLineEdit *box, int field, NumberReader read);

    void load() const;
    // The control bound to an options field, null for none.
    QWidget *control(int field) const;

private:
    void bind(QWidget *control, int field, std::function<void()> loader);
    void write(int field, const QVariant &value) const;

    Cursor &m_row;
    std::map<int, QWidget *> m_controls;
    std::vector<std::function<void()>> m_loaders;
};
