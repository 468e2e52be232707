#pragma once

#include "widgets/DialogFont.h"
#include "widgets/TemplateControls.h"

#include <QDialog>

#include <memory>

class DialogToolTips;

// The dialogs the program builds from its templates (resources/dialogs/<id>.json).
enum class DialogId {
    MainWindow = 101,
    Options = 202,
    OpenFileOptions = 203,
    Caption = 204,
    ActualSizeViewer = 205,
    BuildProgress = 206,
    Completion = 207,
};

// A dialog made from its template: the template's controls in template order, the template's
// font at a fixed 96 dots per inch with the layout measured in it, and the template's tooltips.
// The controls get their earlier font back when the dialog goes.
class TemplateDialog : public QDialog
{
    Q_OBJECT

public:
    ~TemplateDialog() override;

    DialogId dialogId() const { return m_dialogId; }
    // The template control with that id, or nullptr.
    QWidget *control(int controlId) const { return dialogControl(this, controlId); }
    template<class T>
    T *controlAs(int controlId) const
    {
        return qobject_cast<T *>(control(controlId));
    }

protected:
    // A title bar with a close box and no other buttons.
    static constexpr Qt::WindowFlags ModalDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

    TemplateDialog(DialogId id, QWidget *parent, Qt::WindowFlags flags = ModalDialogFlags);

    // Creates the template's controls; a factory gives a control's class by its id.
    void createTemplateControls(const ControlFactories &factories = {});
    // The template's font at 96 dpi, and every control laid out again in it.
    void applyTemplateFont();
    // Controls, font and a size the user cannot change: the usual build of a template dialog.
    void buildFixedLayout(const ControlFactories &factories = {});
    // Attaches the tooltip table's texts for this template to the controls.
    DialogToolTips &attachToolTips();
    DialogToolTips *toolTips() const { return m_toolTips.get(); }

private:
    DialogId m_dialogId;
    DialogFontState m_fontState;
    std::unique_ptr<DialogToolTips> m_toolTips;
};
