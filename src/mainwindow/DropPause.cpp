#include "DropPause.h"

#include "mainwindow/FileDropFilter.h"

DropPause::DropPause(FileDropFilter *target)
    : m_target(target)
    , m_wasAttached(target->isAttached())
{
    if (m_wasAttached)
        m_target->detach();
}

DropPause::~DropPause()
{
    if (m_wasAttached)
        m_target->reattach();
}
