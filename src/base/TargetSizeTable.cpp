#include "base/TargetSizeTable.h"

#include "base/AppSettings.h"

TargetSizeTable &TargetSizeTable::instance()
{
    static TargetSizeTable table;
    return table;
}

TargetSize &TargetSizeTable::current()
{
    const int index = AppSettings::instance().targetSizeIndex();
    return row(index >= 0 && index < RowCount ? index : Settings::TargetVideoSize.defaultValue());
}
