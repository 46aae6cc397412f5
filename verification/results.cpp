#include "verification/results.h"

namespace verification {
namespace {
std::function<void(const ResultList&)> g_observer;
void Changed(const ResultList& list)
{
    if (g_observer) g_observer(list);
}
} // namespace

void SetResultsObserver(std::function<void(const ResultList&)> observer)
{
    g_observer = std::move(observer);
}

ResultList& Results()
{
    static ResultList list;
    return list;
}

void ClearRows(ResultList& list)
{
    list.count = 0;
    for (ResultRow& r : list.rows)
        r = ResultRow();
    Changed(list);
}

int AppendRow(ResultList& list, const ResultRow& row)
{
    list.hasData = 1;
    if (list.count >= kMaxRows || list.count < 0) return -1;
    list.rows[list.count] = row;
    ++list.count;
    Changed(list);
    return list.count;
}

int RemoveRow(ResultList& list, int index)
{
    if (index < 0 || index >= list.count) return -1;
    for (int i = index; i + 1 < list.count; ++i)
        list.rows[i] = list.rows[i + 1];
    list.rows[list.count - 1] = ResultRow();
    --list.count;
    Changed(list);
    return list.count;
}

} // namespace verification
