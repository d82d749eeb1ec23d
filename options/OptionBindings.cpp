#include "options/OptionBindings.h"

#include "store/Cursor.h"
#include "store/OptionFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {
using NumberedFields::fieldName;
} // namespace

void OptionBindings::bind(QWidget *control, int field, std::function<void()> loader)
{
    m_controls[field] = control;
    m_loaders.push_back(std::move(loader));
}

void OptionBindings::write(int field, const QVariant &value) const
{
    // Outside the dialog's edit there is no row to write into; the next
    // opening shows the stored value again.
    if (m_row.state() != Cursor::State::Edit)
        return;
    m_row.setValue(fieldName(field), value);
}

void OptionBindings::check(QCheckBox *box, int field)
{
    QObject::connect(box, &QCheckBox::clicked, box, [this, field](bool on) { write(field, on); });
    bind(box, field, [this, box, field] { box->setChecked(m_row.asBool(fieldName(field))); });
}

void OptionBindings::index(QComboBox *list, int field)
{
    // Only a choice of the user writes: selecting from the row must not
    // turn a stored position outside the list into -1.
    QObject::connect(list, &QComboBox::activated, list, [this, field](int position) { write(field, position); });
    bind(list, field, [this, list, field] {
        const int stored = m_row.asInt(fieldName(field));
        list->setCurrentIndex(stored >= 0 && stored < list->count() && !m_row.isBlank(fieldName(field)) ? stored : -1);
    });
}

void OptionBindings::text(QLineEdit *box, int field)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [this, field](const QString &text) { write(field, text); });
    bind(box, field, [this, box, field] { box->setText(m_row.asText(fieldName(field))); });
}

void OptionBindings::number(QLineEdit *box, int field, NumberReader read)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [this, field, read](const QString &text) {
        if (const std::optional<int> value = read(text))
            write(field, *value);
    });
    bind(box, field, [this, box, field] { box->setText(m_row.asText(fieldName(field))); });
}

void OptionBindings::load() const
{
    for (const auto &loader : m_loaders)
        loader();
}

QWidget *OptionBindings::control(int field) const
{
    const auto it = m_controls.find(field);
    return it == m_controls.end() ? nullptr : it->second;
}
