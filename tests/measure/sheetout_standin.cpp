// A stand-in for the table export library: ListView2excel writes what it was given (the column
// count, then the rows of the view's model, cells separated by tabs) to the file named by
// STANDIN_OUT and returns the number in STANDIN_RESULT (0 when unset).
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QFile>

extern "C" __attribute__((visibility("default"))) int ListView2excel(void* listView, int columns)
{
    auto* view = static_cast<QAbstractItemView*>(listView);
    QByteArray out = "columns=" + QByteArray::number(columns) + '\n';
    QAbstractItemModel* model = view ? view->model() : nullptr;
    for (int r = 0; model && r < model->rowCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out += '\t';
            out += model->data(model->index(r, c)).toString().toUtf8();
        }
        out += '\n';
    }
    QFile f(qEnvironmentVariable("STANDIN_OUT"));
    if (f.open(QIODevice::WriteOnly)) f.write(out);
    return qEnvironmentVariableIntValue("STANDIN_RESULT");
}
