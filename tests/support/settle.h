#pragma once

// Settling the main window over the real worker: the worker finishes what was asked
// of it and the window handles what the worker posted; three rounds, as a load's
// completion asks for a page and the page's completion repaints.
#include "data/data_manager.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

inline void SettleMainWindow()
{
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(CMemoryTransferManage::GetInstance()->WaitIdle(30000));
        QCoreApplication::processEvents();
    }
}
