# Reading the numbers of a KVE report and comparing them with R's, for the
# report oracles (report_sections_i.R, report_sections_ii.R). They source
# this file and keep the counters `bad` and `checked` in their own global
# environment.
#
# A printed number must be the R value rounded to its decimals (either
# neighbour when the R value lies within rounding noise of a boundary). A
# probability field never shows zero: a value below the field's last unit is
# raised by one unit, and the R value is raised alike. "n/a" must stand where
# R has no value.

# The lines of the section whose heading starts with `title`, without the
# heading and its rule; NULL when the report has no such section. A heading
# is a line followed by a rule of "=" as long as itself; the titles in
# `notHeadings` are underlined alike but belong to their section.
sectionReader <- function(report, notHeadings = character()) {
  heads <- which(vapply(seq_along(report), function(i) {
    i < length(report) && nchar(report[i]) > 0 && report[i + 1] == strrep("=", nchar(report[i])) &&
      !(report[i] %in% notHeadings)
  }, logical(1)))
  function(title) {
    h <- heads[startsWith(report[heads], title)]
    if (length(h) == 0) return(NULL)
    following <- heads[heads > h[1]]
    last <- if (length(following) > 0) following[1] - 1 else length(report)
    report[(h[1] + 2):last]
  }
}

agree <- function(got, want, dec, prob) {
  if (is.na(want)) return(is.na(got))
  if (is.na(got)) return(FALSE)
  unit <- 10^-dec
  if (prob && floor(max(want, 0) / unit) == 0) want <- max(want, 0) + unit
  scaled <- want / unit
  candidates <- round(want, dec)
  # Near a boundary (within what the two computations' rounding can move
  # the value) either neighbour is right.
  if (abs(scaled - floor(scaled) - 0.5) < max(1e-6, 1e-9 * abs(scaled)))
    candidates <- c(floor(scaled), ceiling(scaled)) * unit
  any(abs(got - candidates) < unit / 100)
}

# Compares the numbers of the k-th line of `lines` that starts with
# `prefix`; the texts in `strip` are removed first so that their digits do
# not count. "n/a" reads as NA. A count of 0 that prints as blanks is left
# out of `want` by the caller.
check <- function(lines, prefix, want, dec = 5, prob = FALSE, k = 1, strip = character()) {
  hits <- lines[startsWith(lines, prefix)]
  if (length(hits) < k) {
    cat("missing line:", prefix, "\n"); bad <<- bad + 1; return(invisible())
  }
  body <- substring(hits[k], nchar(prefix) + 1)
  for (s in strip) body <- gsub(s, " ", body, fixed = TRUE)
  tokens <- regmatches(body, gregexpr("n/a|-?[0-9]*\\.?[0-9]+", body))[[1]]
  got <- suppressWarnings(as.numeric(tokens))
  dec <- rep_len(dec, length(want)); prob <- rep_len(prob, length(want))
  if (length(got) != length(want)) {
    cat(sprintf("%s: %d numbers, expected %d\n", prefix, length(got), length(want))); bad <<- bad + 1
    return(invisible())
  }
  for (i in seq_along(want)) {
    checked <<- checked + 1
    if (!agree(got[i], want[i], dec[i], prob[i])) {
      cat(sprintf("%s (%d) [%d]: report %s, R %.10g\n", prefix, k, i, tokens[i], want[i]))
      bad <<- bad + 1
    }
  }
}

