# The statistics of the report's sections computed in R on the
# datasets that bench_evaluation writes (KVE_BENCH_DATA_DIR), for a
# side-by-side comparison of times:
#
#   KVE_BENCH_DATA_DIR=/tmp/kvebench build-release/bench/bench_evaluation
#   Rscript bench/evaluation_side_by_side.R /tmp/kvebench
args <- commandArgs(trailingOnly = TRUE)
dir <- if (length(args) > 0) args[1] else "."
for (n in c(1000, 10000, 100000)) {
  d <- read.csv(file.path(dir, sprintf("evaluation_%d.csv", n)))
  t <- system.time(for (k in 1:5) {
    fit <- lm(y ~ x, data = d)
    s <- summary(fit)
    h <- hatvalues(fit); rs <- rstandard(fit); rt <- rstudent(fit)
    ck <- cooks.distance(fit); df <- dffits(fit)
    r <- cor(d$x, d$y)
    rr2 <- 1 - (median(abs(d$y - fitted(fit))) / median(abs(d$y - mean(d$y))))^2
    restricted <- lm(y ~ 0 + offset(x), data = d)
    a <- anova(restricted, fit)
  })
  cat(sprintf("R, least squares with diagnostics, n = %6d: %8.1f ms per run\n", n, 1000 * t[["elapsed"]] / 5))
}

# The distribution, moment, robust, diverse-measure, index, concordance and
# rank statistics (BM_EvaluationMeasureSections adds them to the regression
# sections). R's shapiro.test takes at most 5000 values: above that it runs
# on the first 5000. cor.test's Kendall counts all pairs (quadratic): it is
# left out above 10,000 rows, and the time says so.
suppressPackageStartupMessages({
  library(nortest)
  library(robustbase)
  library(epiR)
})
measures <- function(x, y, kendall) {
  n <- length(x)
  for (v in list(x, y)) {
    shapiro.test(v[seq_len(min(n, 5000))])
    lillie.test(v); cvm.test(v); ad.test(v)
    m <- mean(v); d <- v - m
    c(mean(abs(d)), median(v), var(v), mean(d^3), mean(d^4), range(v))
    Sn(v); Qn(v)
  }
  var.test(y, x); t.test(y, x, var.equal = TRUE); t.test(y, x); t.test(y, x, paired = TRUE)
  ratio <- ifelse(y != 0, x / y, 0)
  t.test(ratio); qt(c(0.025, 0.05), n)
  epi.ccc(x, y, ci = "asymptotic"); epi.ccc(x, y, ci = "z-transform")
  suppressWarnings(cor.test(x, y, method = "spearman", exact = FALSE))
  if (kendall) suppressWarnings(cor.test(x, y, method = "kendall", exact = FALSE))
  suppressWarnings(ks.test(x, y, exact = FALSE)); wilcox.test(y, x, exact = FALSE)
  rank(x); rank(y)
}
for (n in c(1000, 10000, 100000)) {
  d <- read.csv(file.path(dir, sprintf("evaluation_%d.csv", n)))
  kendall <- n <= 10000
  reps <- if (n < 100000) 5 else 1
  t <- system.time(for (k in seq_len(reps)) measures(d$x, d$y, kendall))
  cat(sprintf("R, distribution to rank statistics%s, n = %6d: %8.1f ms per run\n",
              if (kendall) "" else " (no Kendall)", n, 1000 * t[["elapsed"]] / reps))
}
# The generalized concordance coefficients: all ordered pairs, so only the
# smallest set (the pair matrices of 10,000 rows would take 800 MB each).
gccc_bench <- function(x, y, P = 1.5) {
  k <- length(x)
  for (g in list(function(u) u^2, function(u) abs(u), function(u) abs(u)^P)) {
    cross <- g(outer(x, y, "-")) - g(outer(x, y, "+"))
    diag(cross) <- 0
    c(sum(cross), rowSums(cross), colSums(cross))
  }
}
d <- read.csv(file.path(dir, "evaluation_1000.csv"))
t <- system.time(for (k in 1:5) gccc_bench(d$x, d$y))
cat(sprintf("R, three of the seven generalized concordance kernels, n =   1000: %8.1f ms per run\n",
            1000 * t[["elapsed"]] / 5))
