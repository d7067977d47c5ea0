#pragma once
#include <QString>

namespace dao {

// LIKE patterns built from a user's text, which is matched literally: %, _ and the escape
// character itself are escaped. Use them as  "col LIKE ? ESCAPE '\\'"  (see kLikeEscape).
inline constexpr const char* kLikeEscape = " ESCAPE '\\'";
QString likeEscape(const QString& text);
QString likeContains(const QString& text);   // %text%
QString likeEndsWith(const QString& text);   // %text
QString likeStartsWith(const QString& text); // text%
// A caller's pattern with the old engine's wildcards (* any characters, ? one character)
// turned into a LIKE pattern; every other character is matched literally.
QString likeFromWildcards(const QString& pattern);

// Quotes an identifier (table or column name) for SQL text. Only names that come from the
// program itself are ever put into SQL text; values are always bound.
QString quoteIdent(const QString& name);

} // namespace dao
