# Recomputes, independently of KVE, every number of the model-comparison
# report: per model mean, SD and median of the predictions, r^2, MSEP, MB,
# MEF, CD, Cb and CCC (with the signed r), AICc from the RSS of lm(y ~ x);
# per pair cor.test of the two predictions, Cb and CCC between them with
# Lin's P-value, t.test of the squared-error differences, cor.test of the
# two models' deviations and the AIC difference with its probability.
#
# Run from the repository root:
#   Rscript tools/oracles/model_comparison.R app/tests/core/reference
# It writes app/tests/core/reference/model_comparison_cases.inc and then
# checks the golden report app/tests/core/golden/model_comparison_report.txt
# (the fixture models in app/tests/core/comparison_data, ticked as list
# items 1, 3 and 4) at the precision it prints.
source("tools/oracles/common.R")

# ---- the statistics ---------------------------------------------------------

# Lin's concordance of "x" against "y" from the sample moments (divisor
# n - 1) and the given r; the asymptotic variance has n - 2 in its denominator.
lin <- function(x, y, r) {
  n <- length(x)
  sx <- sd(x); sy <- sd(y)
  v <- sy / sx
  u <- (mean(y) - mean(x)) / sqrt(sx * sy)
  cb <- 2 / (v + 1 / v + u^2)
  rc <- 2 * r * sx * sy / (sx^2 + sy^2 + (mean(y) - mean(x))^2)
  stopifnot(abs(rc - r * cb) < 1e-12 * max(1, abs(rc)))
  var_rc <- ((1 - r^2) * rc^2 * (1 - rc^2) / r^2 + 2 * rc^3 * (1 - rc) * u^2 / r -
             rc^4 * u^4 / (2 * r^2)) / (n - 2)
  se <- sqrt(var_rc)
  z <- if (is.finite(se) && se > 0) rc / se else 0
  c(cb = cb, ccc = rc, p = 2 * pnorm(-abs(z)))
}

# The two-sided P-value of r: the t test below 500 pairs; from 500 on the
# library uses Fisher's z with sqrt(n - 1), a published approximation.
p_of_r <- function(a, b) {
  n <- length(a)
  if (n <= 499) return(cor.test(a, b)$p.value)
  r <- cor(a, b)
  2 * pnorm(-abs(atanh(r)) * sqrt(n - 1))
}

model_row <- function(x, y) {
  n <- length(x)
  r <- cor(x, y)
  # lm on centred columns: the same line, but QR keeps its digits on data
  # far from zero (uncentred, lm drops the slope of data near 1e9).
  xc <- x - mean(x); yc <- y - mean(y)
  rss <- sum(residuals(lm(yc ~ xc))^2)
  aic <- if (n < 4) NaN else n * log(rss / n) + 4 + 12 / (n - 3)
  l <- lin(x, y, r)
  c(mean = mean(x), sd = sd(x), median = median(x), r2 = r^2, msep = mean((y - x)^2),
    mb = mean(y - x), mef = 1 - sum((y - x)^2) / sum((y - mean(y))^2),
    cd = sum((y - mean(y))^2) / sum((x - mean(y))^2), cb = l[["cb"]], ccc = l[["ccc"]], aic = aic)
}

pair_row <- function(y, xi, xj, aic_i, aic_j) {
  r <- cor(xi, xj)
  l <- lin(xj, xi, r)
  d <- (y - xi)^2 - (y - xj)^2
  ei <- y - xi; ej <- y - xj
  daic <- unname(aic_j - aic_i)
  c(r = r, pr = p_of_r(xi, xj), cb = l[["cb"]], ccc = l[["ccc"]], pccc = l[["p"]],
    msep = mean(d), pmsep = t.test(d)$p.value,
    devr = cor(ei, ej), pdev = p_of_r(ei, ej),
    daic = daic, pdaic = 1 / (1 + exp(daic / 2)))
}

best_of <- function(rows) {
  pick <- function(v, better) {
    b <- NA
    for (m in seq_along(v)) {
      if (is.na(v[m])) next
      if (is.na(b) || better(v[m], v[b])) b <- m
    }
    b
  }
  gt <- function(a, b) a > b; lt <- function(a, b) a < b
  c(r2 = pick(rows["r2", ], gt), msep = pick(rows["msep", ], lt),
    mb = pick(abs(rows["mb", ]), lt), mef = pick(rows["mef", ], gt),
    cd = pick(abs(abs(rows["cd", ]) - 1), lt), cb = pick(rows["cb", ], gt),
    ccc = pick(rows["ccc", ], gt), aic = pick(rows["aic", ], lt))
}

compare_models <- function(y, xs) {
  rows <- sapply(xs, model_row, y = y)
  K <- length(xs)
  pairs <- list()
  for (i in 1:(K - 1)) for (j in (i + 1):K)
    pairs[[length(pairs) + 1]] <- pair_row(y, xs[[i]], xs[[j]], rows["aic", i], rows["aic", j])
  list(obs = c(mean(y), sd(y), median(y)), rows = rows, best = best_of(rows), pairs = do.call(cbind, pairs))
}

# ---- the fixture models -------------------------------------------------------

read_model <- function(path) {
  lines <- sub("\r$", "", readLines(path, warn = FALSE, encoding = "UTF-8"))
  start <- which(lines == "DATA:") + 1
  n_rows <- as.numeric(sub("^N=", "", lines[grep("^N=", lines)]))
  rows <- lines[start:(start + n_rows - 1)]
  cells <- lapply(rows, function(l) scan(text = l, what = "", sep = ",", quiet = TRUE,
                                         na.strings = character()))
  x <- sapply(cells, `[`, 1); y <- sapply(cells, `[`, 3)
  used <- seq_len(max(which(y != "")))
  list(x = as.numeric(x[used]), y = as.numeric(y[used]))
}
fixture_dir <- "app/tests/core/comparison_data"
fixtures <- lapply(c("model_a", "model_b", "model_c"),
                   function(f) read_model(file.path(fixture_dir, paste0(f, ".KVE"))))
y <- fixtures[[1]]$y
stopifnot(all(sapply(fixtures, function(f) identical(f$y, y))))
xs <- lapply(fixtures, `[[`, "x")
stopifnot(cor(xs[[3]], y) < 0)

# ---- reference cases ------------------------------------------------------------

# Data far from zero, ties, three rows, and 100,000 rows given by a formula
# that the test evaluates the same way (so the data need not be stored).
offset <- function(v, by) lapply(v, function(x) x + by)
cases <- list(
  list(name = "fixture", y = y, xs = xs),
  list(name = "offset1e6", y = y + 1e6, xs = offset(xs, 1e6)),
  list(name = "offset1e9", y = y + 1e9, xs = offset(xs, 1e9)),
  list(name = "ties", y = c(2, 2, 3, 3, 3, 5, 5, 8),
       xs = list(c(2, 3, 3, 3, 4, 5, 6, 7), c(1, 2, 2, 4, 4, 4, 6, 9), c(8, 7, 7, 5, 5, 3, 3, 1))),
  list(name = "three", y = c(1, 2, 4), xs = list(c(1.5, 2, 3.5), c(4, 2.5, 1))),
  local({
    t <- 1:100000
    y <- 50 + 10 * sin(t / 7) + 0.001 * t
    list(name = "formula100k", y = y,
         xs = list(y + 2 * cos(t / 3), 0.8 * y + 12 + 3 * sin(t / 5), 120 - y + cos(t / 11)))
  })
)

con <- file(out_path("model_comparison_cases.inc"), "w")
header(con, "model_comparison.R")
writeLines(c("// {name, y (empty: the 100,000-row formula), predictions per model,",
             "//  observed mean, SD and median, per model {mean, sd, median, r2, MSEP, MB, MEF, CD, Cb, CCC, AIC},",
             "//  best model per index (0-based), per pair i < j {r, P, Cb, CCC, P, MSEP mean, P, r of deviations,",
             "//  P, DAIC, P}}"), con)
writeLines("const ComparisonCase kComparisonCases[] = {", con)
for (cs in cases) {
  res <- compare_models(cs$y, cs$xs)
  big <- length(cs$y) > 1000
  ys <- if (big) "{}" else vec(cs$y)
  xsv <- if (big) "{}" else paste0("{", paste(sapply(cs$xs, vec), collapse = ", "), "}")
  rows <- paste0("{", paste(apply(res$rows, 2, vec), collapse = ", "), "}")
  pairs <- paste0("{", paste(apply(res$pairs, 2, vec), collapse = ", "), "}")
  best <- paste0("{", paste(ifelse(is.na(res$best), -1, res$best - 1), collapse = ", "), "}")
  writeLines(sprintf("    {\"%s\", %s, %s, %s, %s, %s, %s},", cs$name, ys, xsv, vec(res$obs), rows, best, pairs),
             con)
}
writeLines("};", con)
close(con)

# ---- the golden report ----------------------------------------------------------

report_path <- "app/tests/core/golden/model_comparison_report.txt"
if (!file.exists(report_path)) quit(status = 0)
report <- sub("\r$", "", readLines(report_path, warn = FALSE, encoding = "UTF-8"))
res <- compare_models(y, xs)
labels <- c("1", "3", "4")
decimals <- list(stat = 4, prob = 4, corr = 3)
failures <- 0

# A printed number agrees when it is the value rounded to its decimals; a
# probability that rounds to zero is printed one step up.
agrees <- function(printed, value, d, prob = FALSE) {
  if (printed == "n/a") return(is.na(value) || !is.finite(value))
  p <- as.numeric(printed)
  if (prob) {
    if (value < 0) value <- 0
    if (floor(value * 10^d) == 0) value <- value + 10^-d
  }
  abs(p - value) <= 0.5 * 10^-d + 1e-9
}
check <- function(what, printed, value, d, prob = FALSE) {
  if (!agrees(printed, value, d, prob)) {
    cat(sprintf("MISMATCH %s: report %s, R %.10g\n", what, printed, value))
    failures <<- failures + 1
  }
}
fields <- function(line) strsplit(trimws(sub("^[^:]*:", "", line)), " +")[[1]]

obs <- fields(report[grep("^Obs  : ", report)])
for (k in 1:3) check(paste("Obs", k), obs[k], res$obs[k], decimals$stat)
dec_of <- c(mean = "stat", sd = "stat", median = "stat", r2 = "corr", msep = "stat", mb = "stat",
            mef = "corr", cd = "corr", cb = "corr", ccc = "corr", aic = "corr")
for (m in 1:3) {
  line <- report[grep(sprintf("^ *%s  : ", labels[m]), report)[1]]
  v <- fields(line)
  for (k in seq_along(dec_of))
    check(paste("model", labels[m], names(dec_of)[k]), v[k], res$rows[k, m], decimals[[dec_of[k]]])
}
best <- fields(report[grep("^Best :", report)])
if (!identical(best, labels[res$best])) {
  cat("MISMATCH best row:", best, "against", labels[res$best], "\n")
  failures <- failures + 1
}

# The pairwise tables: after the heading, the label line and a rule, one
# block of lines per row model; cells right of the diagonal in column order.
section <- function(heading, names, decs, probs) {
  at <- which(report == heading)
  line <- at + 1
  while (!grepl("^-+$", report[line])) line <- line + 1
  line <- line + 1
  p <- 0
  for (i in 1:2) {
    for (k in seq_along(names)) {
      v <- fields(report[line])
      v <- v[v != "-----"]
      for (j in (i + 1):3) {
        idx <- if (i == 1) j - 1 else 3
        check(sprintf("%s %s (%s,%s)", heading, names[k], labels[i], labels[j]), v[j - i],
              res$pairs[names[k], idx], decimals[[decs[k]]], probs[k])
      }
      line <- line + 1
    }
    line <- line + 1
  }
}
section("Correlation Coefficient Analysis", c("r", "pr", "cb", "ccc", "pccc"),
        c("corr", "prob", "corr", "corr", "prob"), c(FALSE, TRUE, FALSE, FALSE, TRUE))
section("Pairwise MSEP Analysis (Wallach and Goffinet, 1989)", c("msep", "pmsep"), c("stat", "prob"),
        c(FALSE, TRUE))
section("Pairwise Deviation Correlation Analysis", c("devr", "pdev"), c("corr", "prob"), c(FALSE, TRUE))
section("Delta Akaike's Information Criterion (DAIC)", c("daic", "pdaic"), c("corr", "prob"), c(FALSE, TRUE))

if (failures > 0) {
  cat(failures, "numbers of the golden report disagree with R\n")
  quit(status = 1)
}
cat("golden report agrees with R at the printed precision\n")
