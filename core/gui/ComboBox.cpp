#include "ComboBox.h"

#include "Profile.h"

#include <QSettings>
#include <QSignalBlocker>

namespace {

// A history name as a settings key: "/" and "\" would open sub-groups.
QString historyKey(const QString& key)
{
    QString name = key;
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("History/") + name;
}

} // namespace

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

ComboBox::~ComboBox() = default;

void ComboBox::loadHistory(const QString& key, int max, const QStringList& defaults)
{
    m_key = key;
    m_max = max > 0 ? max : 1;
    auto settings = Profile::settings();
    const QString name = historyKey(key);
    QStringList texts = settings->contains(name) ? settings->value(name).toStringList() : defaults;
    texts = texts.mid(0, m_max);
    const QSignalBlocker blocker(this);
    clear();
    addItems(texts);
    setEditText(QString());
}

void ComboBox::addToHistory()
{
    const QString text = currentText();
    if (m_key.isEmpty() || text.isEmpty())
        return;
    QStringList texts = history();
    texts.removeAll(text);
    texts.prepend(text);
    texts = texts.mid(0, m_max);
    {
        const QSignalBlocker blocker(this);
        clear();
        addItems(texts);
        setEditText(text);
    }
    Profile::settings()->setValue(historyKey(m_key), texts);
}

QStringList ComboBox::history() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts.append(itemText(i));
    return texts;
}
