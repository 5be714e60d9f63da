#pragma once

// The page window (which samples the chart shows, how far apart) as a load opens it,
// and the fit-all compression that squeezes a query result into one page.
#include "data/dataset.h"

struct CPageWindow {
    int first = 0;
    int count = 0;
    int step = 1;
};

// The pixels between samples when sampleCount samples are spread over the plot.
int ChooseStep(int sampleCount, int plotWidth);
// A file opens on its newest samples: an ascending file (time order 0) on its last
// page, a descending one on its first; short data is spread with a wider step.
CPageWindow OpeningPage(const CDataset& dataset, int plotWidth, int timeOrder);
// Squeezes channel 0's samples into pageCount groups, every channel and the labels alike.
void CompressToOnePage(CDataset& dataset, int pageCount);
