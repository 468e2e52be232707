#include "widgets/TemplateDialog.h"

#include "widgets/DialogToolTips.h"

namespace {

// Template sizes are measured in dialog units of the template's font at this resolution, so a
// dialog looks the same on every screen.
constexpr double TemplateDotsPerInch = 96.0;

} // namespace

TemplateDialog::TemplateDialog(DialogId id, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_dialogId(id)
{
}

TemplateDialog::~TemplateDialog()
{
    restoreDialogFont(m_fontState);
}

void TemplateDialog::createTemplateControls(const ControlFactories &factories)
{
    createDialogControls(this, int(m_dialogId), factories);
}

void TemplateDialog::applyTemplateFont()
{
    applyDialogFont(this, int(m_dialogId), TemplateDotsPerInch, m_fontState);
}

void TemplateDialog::buildFixedLayout(const ControlFactories &factories)
{
    createTemplateControls(factories);
    applyTemplateFont();
    setFixedSize(size());
}

DialogToolTips &TemplateDialog::attachToolTips()
{
    if (!m_toolTips) {
        m_toolTips = std::make_unique<DialogToolTips>();
        m_toolTips->createTips(int(m_dialogId), this);
    }
    return *m_toolTips;
}
