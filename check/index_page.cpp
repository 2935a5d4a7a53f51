#include "index_page.h"

#include <cstdio>

namespace kelpie::check {
namespace {

// More problems than this per job are counted, not listed.
constexpr std::size_t kListedProblems = 1000;

std::string Escape(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

constexpr const char kHead[] = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>kelpie-check pictures</title>
<style>
body { font-family: sans-serif; margin: 1.5em; background: #f4f4f2; color: #222; }
h2 { margin-top: 2em; border-bottom: 1px solid #bbb; }
.passed { color: #176b2c; font-weight: bold; }
.failed { color: #a31515; font-weight: bold; }
.problems code { white-space: pre-wrap; }
.pictures { display: flex; flex-wrap: wrap; gap: 1em; }
figure { margin: 0; background: #fff; border: 1px solid #ccc; padding: 0.5em; width: 420px; }
figure img { width: 100%; height: auto; display: block; background: #1a1c1f; }
figure.missing { border-color: #a31515; }
figcaption { font-size: 0.9em; margin-top: 0.4em; }
.kind { color: #666; }
</style>
</head>
<body>
<h1>kelpie-check</h1>
<p id="load-status">Pictures loading&hellip;</p>
)";

// Marks every picture as loaded or not once the page has loaded, and says
// so at the top of the page.
constexpr const char kTail[] = R"(<script>
window.addEventListener('load', function () {
  var images = document.querySelectorAll('img');
  var failed = [];
  images.forEach(function (image) {
    var loaded = image.complete && image.naturalWidth > 0;
    image.setAttribute('data-loaded', loaded ? 'yes' : 'no');
    if (!loaded) {
      failed.push(image.getAttribute('src'));
      image.closest('figure').classList.add('missing');
    }
  });
  var status = document.getElementById('load-status');
  status.textContent = failed.length === 0
      ? 'All ' + images.length + ' pictures loaded.'
      : failed.length + ' of ' + images.length + ' pictures did not load: ' + failed.join(', ');
  status.className = failed.length === 0 ? 'passed' : 'failed';
});
</script>
</body>
</html>
)";

void AddPicture(std::string& page, const Picture& picture) {
  const std::string png = Escape(PathUrl(picture.png));
  page += "<figure><a href=\"" + png + "\"><img src=\"" + png + "\" alt=\"" + Escape(picture.title) + "\"></a>\n";
  page += "<figcaption><b>" + Escape(picture.title) + "</b> <span class=\"kind\">" + Escape(picture.kind) +
          "</span><br>" + Escape(picture.counts) + "<br><a href=\"" + png + "\">PNG</a>";
  if (!picture.svg.empty()) page += " &middot; <a href=\"" + Escape(PathUrl(picture.svg)) + "\">SVG</a>";
  page += "</figcaption></figure>\n";
}

void AddJob(std::string& page, const JobReport& job) {
  page += "<section class=\"job\">\n<h2>" + Escape(job.name) + " <span class=\"kind\">" + Escape(job.format) +
          "</span></h2>\n";
  if (!job.contents.empty()) page += "<p>" + Escape(job.contents) + "</p>\n";
  if (!job.error.empty()) page += "<p class=\"failed\">" + Escape(job.error) + "</p>\n";
  if (!job.checked) {
    // Nothing was checked, so there is no verdict.
  } else if (job.problems.empty()) {
    page += "<p class=\"passed verdict\">Every check passed.</p>\n";
  } else {
    const std::size_t count = job.problems.size();
    page += "<p class=\"failed verdict\">" + std::to_string(count) + (count == 1 ? " problem" : " problems") +
            " found:</p>\n<ol class=\"problems\">\n";
    for (std::size_t i = 0; i < count && i < kListedProblems; ++i)
      page += "<li><code>" + Escape(job.problems[i]) + "</code></li>\n";
    page += "</ol>\n";
    if (count > kListedProblems)
      page += "<p>and " + std::to_string(count - kListedProblems) + " more (kelpie-check lists them all).</p>\n";
  }
  page += "<div class=\"pictures\">\n";
  for (const Picture& picture : job.pictures) AddPicture(page, picture);
  page += "</div>\n</section>\n";
}

}  // namespace

std::string PathUrl(const std::string& path) {
  std::string url;
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      url += c;
      continue;
    }
    char code[4];
    std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
    url += code;
  }
  return url;
}

std::string IndexPage(const std::vector<JobReport>& jobs) {
  std::string page = kHead;
  for (const JobReport& job : jobs) AddJob(page, job);
  page += kTail;
  return page;
}

bool WriteIndexPage(const std::string& directory, const std::vector<JobReport>& jobs, std::string& error) {
  const std::string path = directory + "/index.html";
  return WriteFile(path, {IndexPage(jobs)}, error);
}

}  // namespace kelpie::check
