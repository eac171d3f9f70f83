# The statistics of the report's regression sections computed in R on the
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
