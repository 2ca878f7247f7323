// The XML parser the tools use reads a stray "&" or an entity XML does not define as text of its
// own making ("Quillon & Co" would become "Quillon  Co", "&copy;" would become "copy;"): a
// manifest is checked for both before it is parsed, so a release engineer's text is never
// changed silently.
#pragma once

#include <string>
#include <string_view>

// The first "&" outside comments and CDATA sections that starts no entity XML defines (&amp;
// &lt; &gt; &quot; &apos;, &#N; and &#xH;): true with its line (from 1) and what to write
// instead; false when there is none.
bool findUndefinedEntity(std::string_view text, int& line, std::string& cause);
