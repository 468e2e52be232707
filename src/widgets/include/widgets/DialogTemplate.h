#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

// One control of a dialog template. The rectangle is in dialog units; styles are the style
// names the template lists for the control (visible, disabled, bordered, multi-line, ...).
struct DialogControlTemplate
{
    int id = -1; // -1 for controls the code never addresses (labels, group boxes)
    QString kind; // PushButton, DefPushButton, AutoCheckBox, Edit, Static, GroupBox, ComboBox, Progress
    QString text;
    QStringList styles;
    QRect rect;

    bool hasStyle(const QString &style) const { return styles.contains(style); }
};

// A dialog's template: caption, size in dialog units, font, and its controls in template
// (creation and tab) order. Templates are data of the program under resources/dialogs/.
class DialogTemplate
{
public:
    int id = 0;
    QString caption;
    QPoint position; // dialog units
    QSize size; // dialog units
    QStringList styles;
    QString fontName;
    int fontPoints = 8;
    int fontWeight = 400; // 0 means the normal weight
    bool fontItalic = false;
    QList<DialogControlTemplate> controls;

    bool hasStyle(const QString &style) const { return styles.contains(style); }
    const DialogControlTemplate *control(int controlId) const;

    // The template with that id, or nullptr when the program has none.
    static const DialogTemplate *get(int templateId);
    // Parses one template from its JSON text; false (and *error set) when it is malformed.
    static bool parse(const QByteArray &json, DialogTemplate *out, QString *error = nullptr);
};

// The first direct child of `dialog` whose "controlId" is `controlId`, or nullptr.
QWidget *dialogControl(const QWidget *dialog, int controlId);

template<class T>
T *dialogControlAs(const QWidget *dialog, int controlId)
{
    return qobject_cast<T *>(dialogControl(dialog, controlId));
}

// The id a control carries in its "controlId" property; 0 when it has none.
int controlIdOf(const QWidget *control);
