#pragma once
// Pinyin initials of a text for the lists' type-ahead search: ASCII is kept, each GB2312
// level-1 Chinese character becomes the capital initial of its reading, others give nothing.
#include <string>

std::string SmPinyinInitials(const std::string& utf8);
