#include "widgets/DialogTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QWidget>

#include <memory>

namespace {

const int TemplateIds[] = {101, 202, 203, 204, 205, 206, 207};

QStringList toStringList(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list.append(item.toString());
    return list;
}

using TemplateMap = QMap<int, std::shared_ptr<const DialogTemplate>>;

TemplateMap loadTemplates()
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
    static const TemplateMap templates = loadTemplates();
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
    result.styles = toStringList(root.value(QLatin1String("styles")));
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
        item.styles = toStringList(object.value(QLatin1String("styles")));
        item.rect = QRect(rect.at(0).toInt(), rect.at(1).toInt(), rect.at(2).toInt(),
                          rect.at(3).toInt());
        result.controls.append(item);
    }
    *out = result;
    return true;
}

QWidget *dialogControl(const QWidget *dialog, int controlId)
{
    if (!dialog)
        return nullptr;
    for (QObject *child : dialog->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow() && controlIdOf(widget) == controlId)
            return widget;
    }
    return nullptr;
}

int controlIdOf(const QWidget *control)
{
    return control ? control->property("controlId").toInt() : 0;
}
