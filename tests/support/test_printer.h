// Real printers for the tests: PostScript printers of Wine's own driver,
// installed in the test prefix with no print daemon.  Each job goes to a
// shell command on the host, as a port of the form "|command": the working
// printer turns the PostScript into a PDF and that into text; the failing
// one reads the job and exits with an error, so the job's EndDoc fails.
#pragma once
#include <windows.h>

#include <string>

class TestPrinter {
 public:
  // Installs the printer (and Wine's driver, the first time a prefix needs
  // it), makes it the default printer and removes earlier jobs' output.
  explicit TestPrinter(bool failing = false);
  TestPrinter(const TestPrinter&) = delete;
  TestPrinter& operator=(const TestPrinter&) = delete;

  bool installed() const { return installed_; }
  // The text of the last job, in the ANSI code page, each page ended by a
  // form feed; empty when nothing was printed.
  std::string PrintedText() const;

 private:
  std::string folder_;  // the jobs' output, under the temp directory
  bool installed_ = false;
};

// The GDI objects this process holds now.  Wine accepts a handle's table
// index without its generation bits, so every index is asked once.
int LiveGdiObjects();
