#pragma once

#include <QString>

#include <functional>

class Page;
class PageHost;
class QWidget;

namespace pages {

inline constexpr int kPageCount = 7;
// The door-operator page: shown, the link runs at the door-operator rate.
inline constexpr int kDoorPage = 6;

// Tab caption of page index.
QString caption(int index);

// Creates page index (0 to 6) for the host, as a child of parent.
Page* create(int index, PageHost& host, QWidget* parent);

// Replaces the pages create() makes (tests); an empty maker restores them.
using PageMaker = std::function<Page*(int index, PageHost& host, QWidget* parent)>;
void setPageMaker(PageMaker maker);

} // namespace pages
