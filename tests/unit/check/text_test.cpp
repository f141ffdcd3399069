// mae-check's text layer: base64 and HTML text.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base64.h"
#include "html_text.h"

namespace {

using namespace mae::check;

TEST(Text, Base64AndHtml) {
  // RFC 4648's test vectors.
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [in, out] : vectors) {
    EXPECT_EQ(Base64(in), out);
  }
  EXPECT_EQ(EscapeHtml("<a href=\"x\">Tom & 'Jerry'</a>"),
            "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;");
}

}  // namespace
