// The --info summary: what the data manager loaded and prepared, what the main window
// shows and how the file is written, as one JSON object, its texts in UTF-8 as the
// program decoded them.
#include "app/main_dlg.h"
#include "export_session.h"
#include "json_writer.h"

std::string ExportSummaryJson(const CMainDlg& window, int loadResult, const CDialect& dialect, bool withSeries)
{
    const CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();
    const std::vector<QString>* names = nullptr;
    const CLabelStore* labels = nullptr;
    const std::vector<CSampleArray>* samples = nullptr;
    int first = 0, labelCount = 0, pageCount = 0, step = 0;
    manager->GetDataViews(&names, &labels, &samples, &first, &labelCount, &pageCount, &step);

    CJsonWriter json;
    json.BeginObject();
    json.Key("result");
    json.Integer(loadResult);
    json.Key("channels");
    json.BeginArray();
    for (const QString& name : *names)
        json.String(name.toStdString());
    json.EndArray();
    json.Key("samples");
    json.BeginArray();
    for (const CSampleArray& channel : *samples)
        json.Integer(static_cast<long long>(channel.size()));
    json.EndArray();
    json.Key("labels");
    json.Integer(labelCount);

    // The value range the automatic axis is built from (rows a query dropped included).
    double low = 0.0, high = 0.0;
    const bool any = manager->GetDataRange(&low, &high);
    json.Key("data_min");
    any ? json.Number(low) : json.Null();
    json.Key("data_max");
    any ? json.Number(high) : json.Null();

    TimeValue firstTime = 0, lastTime = 0;
    manager->GetTimeRange(&firstTime, &lastTime);
    json.Key("first_time");
    json.Integer(firstTime);
    json.Key("last_time");
    json.Integer(lastTime);

    json.Key("page");
    json.BeginObject();
    json.Key("first");
    json.Integer(window.GetFirst());
    json.Key("count");
    json.Integer(window.GetPageCount());
    json.Key("step");
    json.Integer(window.GetZoom());
    json.EndObject();
    json.Key("zoom_level");
    json.Integer(window.GetZoomLevel());

    double axisMin = 0.0, axisMax = 0.0;
    manager->GetAxisRange(&axisMin, &axisMax);
    json.Key("axis");
    json.BeginObject();
    json.Key("min");
    json.Number(axisMin);
    json.Key("max");
    json.Number(axisMax);
    json.EndObject();

    std::vector<QString> axisLabels;
    manager->GetAxisLabels(&axisLabels);
    json.Key("axis_labels");
    json.BeginArray();
    for (const QString& label : axisLabels)
        json.String(label.toStdString());
    json.EndArray();

    json.Key("readout");
    window.GetReadout().isEmpty() ? json.Null() : json.String(window.GetReadout().toStdString());

    json.Key("dialect");
    WriteDialectJson(dialect, &json);

    if (withSeries) {
        int seriesStep = 0;
        const std::vector<CSampleArray>* series = manager->GetDisplaySeries(&seriesStep);
        json.Key("series");
        json.BeginArray();
        for (const CSampleArray& channel : *series) {
            json.BeginArray();
            for (const double v : channel)
                json.Number(v);
            json.EndArray();
        }
        json.EndArray();
    }
    json.EndObject();
    return json.Text();
}
