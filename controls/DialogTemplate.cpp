#include "controls/DialogTemplate.h"

#include "controls/CBitmapButtonExs.h"
#include "controls/DialogFontState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <memory>

namespace {

const int TemplateIds[] = {101, 202, 203, 204, 205, 206, 207};

QStringList ToStringList(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list.append(item.toString());
    return list;
}

Qt::Alignment StaticAlignment(const DialogControlTemplate &item)
{
    if (item.hasStyle(QStringLiteral("SS_CENTER")))
        return Qt::AlignHCenter | Qt::AlignTop;
    if (item.hasStyle(QStringLiteral("SS_RIGHT")))
        return Qt::AlignRight | Qt::AlignTop;
    return Qt::AlignLeft | Qt::AlignTop;
}

QWidget *CreateDefaultControl(const DialogControlTemplate &item, QWidget *parent)
{
    const QString &kind = item.kind;
    if (kind == QLatin1String("PushButton") || kind == QLatin1String("DefPushButton")) {
        if (item.hasStyle(QStringLiteral("BS_OWNERDRAW")))
            return new CBitmapButtonExs(item.text, parent);
        auto *button = new QPushButton(item.text, parent);
        button->setDefault(kind == QLatin1String("DefPushButton"));
        return button;
    }
    if (kind == QLatin1String("AutoCheckBox"))
        return new QCheckBox(item.text, parent);
    if (kind == QLatin1String("Edit")) {
        if (item.hasStyle(QStringLiteral("ES_MULTILINE"))) {
            auto *edit = new QPlainTextEdit(item.text, parent);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setTabChangesFocus(true);
            return edit;
        }
        auto *edit = new QLineEdit(item.text, parent);
        edit->setFrame(item.hasStyle(QStringLiteral("WS_BORDER")));
        return edit;
    }
    if (kind == QLatin1String("GroupBox"))
        return new QGroupBox(item.text, parent);
    if (kind == QLatin1String("ComboBox"))
        return new QComboBox(parent);
    if (kind == QLatin1String("Progress")) {
        auto *bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    auto *label = new QLabel(item.text, parent);
    label->setAlignment(StaticAlignment(item));
    // Static texts wrap at word boundaries, except those that shorten a path instead.
    label->setWordWrap(!item.hasStyle(QStringLiteral("SS_PATHELLIPSIS")));
    return label;
}

using TemplateMap = QMap<int, std::shared_ptr<const DialogTemplate>>;

TemplateMap LoadTemplates()
{
    TemplateMap map;
    for (int id : TemplateIds) {
        QFile file(QStringLiteral(":/dialogs/%1.json").arg(id));
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("Dialog template %d is missing", id);
            continue;
        }
        auto dialogTemplate = std::make_shared<DialogTemplate>();
        QString error;
        if (!DialogTemplate::parse(file.readAll(), dialogTemplate.get(), &error)) {
            qWarning("Dialog template %d: %s", id, qPrintable(error));
            continue;
        }
        map.insert(id, dialogTemplate);
    }
    return map;
}

} // namespace

const DialogControlTemplate *DialogTemplate::control(int controlId) const
{
    for (const DialogControlTemplate &item : controls) {
        if (item.id == controlId)
            return &item;
    }
    return nullptr;
}

const DialogTemplate *DialogTemplate::get(int templateId)
{
    static const TemplateMap templates = LoadTemplates();
    const auto it = templates.constFind(templateId);
    return it == templates.constEnd() ? nullptr : it->get();
}

bool DialogTemplate::parse(const QByteArray &json, DialogTemplate *out, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (document.isNull())
        return fail(parseError.errorString());
    const QJsonObject root = document.object();
    if (!root.value(QLatin1String("id")).isDouble() || !root.value(QLatin1String("cx")).isDouble()
        || !root.value(QLatin1String("cy")).isDouble())
        return fail(QStringLiteral("id, cx or cy missing"));

    DialogTemplate result;
    result.id = root.value(QLatin1String("id")).toInt();
    result.caption = root.value(QLatin1String("caption")).toString();
    result.position = QPoint(root.value(QLatin1String("x")).toInt(),
                             root.value(QLatin1String("y")).toInt());
    result.size = QSize(root.value(QLatin1String("cx")).toInt(),
                        root.value(QLatin1String("cy")).toInt());
    result.styles = ToStringList(root.value(QLatin1String("styles")));
    const QJsonObject font = root.value(QLatin1String("font")).toObject();
    if (result.hasStyle(QStringLiteral("DS_SETFONT")) && !font.isEmpty()) {
        result.fontName = font.value(QLatin1String("face")).toString();
        result.fontPoints = font.value(QLatin1String("points")).toInt(8);
        result.fontWeight = font.value(QLatin1String("weight")).toInt(400);
        result.fontItalic = font.value(QLatin1String("italic")).toBool();
    } else {
        result.fontName = QStringLiteral("Tahoma");
    }

    for (const QJsonValue &value : root.value(QLatin1String("controls")).toArray()) {
        const QJsonObject object = value.toObject();
        const QJsonArray rect = object.value(QLatin1String("rect")).toArray();
        if (rect.size() != 4 || object.value(QLatin1String("kind")).toString().isEmpty())
            return fail(QStringLiteral("control without kind or rectangle"));
        DialogControlTemplate item;
        item.id = object.value(QLatin1String("id")).toInt(-1);
        item.kind = object.value(QLatin1String("kind")).toString();
        item.text = object.value(QLatin1String("text")).toString();
        item.styles = ToStringList(object.value(QLatin1String("styles")));
        item.rect = QRect(rect.at(0).toInt(), rect.at(1).toInt(), rect.at(2).toInt(),
                          rect.at(3).toInt());
        result.controls.append(item);
    }
    *out = result;
    return true;
}

bool CreateDialogControls(QWidget *dialog, int templateId, const ControlFactories &factories)
{
    const DialogTemplate *dialogTemplate = DialogTemplate::get(templateId);
    if (!dialog || !dialogTemplate)
        return false;
    if (dialog->isWindow())
        dialog->setWindowTitle(dialogTemplate->caption);

    const DialogBaseUnits base = MeasureDialogBaseUnits(dialog->font());
    dialog->resize(DialogUnitsToPixels(dialogTemplate->size, base));
    QLabel *previousLabel = nullptr;
    for (const DialogControlTemplate &item : dialogTemplate->controls) {
        QWidget *control = nullptr;
        if (const auto factory = factories.constFind(item.id);
            item.id != -1 && factory != factories.constEnd() && *factory)
            control = (*factory)(item, dialog);
        if (!control)
            control = CreateDefaultControl(item, dialog);
        if (control->parentWidget() != dialog)
            control->setParent(dialog);
        control->setProperty("controlId", item.id);
        control->setGeometry(DialogUnitsToPixels(item.rect, base));
        if (!item.hasStyle(QStringLiteral("WS_VISIBLE")))
            control->setVisible(false);
        if (item.hasStyle(QStringLiteral("WS_DISABLED")))
            control->setEnabled(false);
        // As on the template's home platform, the text just before an edit or a list names it
        // for assistive technology (a combo box's own name is its value here).
        if (previousLabel && (item.kind == QLatin1String("Edit") || item.kind == QLatin1String("ComboBox")))
            previousLabel->setBuddy(control);
        previousLabel = item.kind == QLatin1String("Static") ? qobject_cast<QLabel *>(control) : nullptr;
    }
    return true;
}

QWidget *DialogControl(const QWidget *dialog, int controlId)
{
    if (!dialog)
        return nullptr;
    for (QObject *child : dialog->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow() && ControlId(widget) == controlId)
            return widget;
    }
    return nullptr;
}

int ControlId(const QWidget *control)
{
    return control ? control->property("controlId").toInt() : 0;
}
