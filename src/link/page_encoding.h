// The one loop that encodes every page of an area's table, for a save and for the diff of
// what a save would change. Each area's codec encodes one page; this walks them in order.
#pragma once

#include <cstddef>

namespace zc {

// After a page the table cannot give: stop there (its reason is the one told), or go on
// so that the encoder hears the reasons of every page.
enum class OnRefusal { Stop, GoOn };

// Encodes pages 1..count with encode(page), which returns a result with `ok` and, when ok,
// the page's bytes in `page`. `pages` gets every page, in order, when all were encoded;
// it is left empty, and false returned, when one was not.
template <class Pages, class Encode>
bool encodeEveryPage(int count, Pages &pages, Encode &&encode, OnRefusal onRefusal = OnRefusal::Stop)
{
    pages = Pages();
    pages.reserve(count);
    bool whole = true;
    for (int page = 1; page <= count; ++page) {
        const auto result = encode(page);
        if (!result.ok) {
            whole = false;
            if (onRefusal == OnRefusal::Stop) break;
        } else if (whole) {
            pages.push_back(result.page);
        }
    }
    if (!whole) pages = Pages();
    return whole;
}

} // namespace zc
