# The statistics of the whole evaluation report, every section ticked,
# computed in R on a dataset that bench_evaluation writes, and the report's
# per-point tables written as text: the equivalent script that
# BM_WholeReportRScript times beside BM_WholeReport in the same run.
#
#   Rscript bench/whole_report_side_by_side.R <csv: x,sdx,y,sdy> <gccc 0|1> <repeats>
#
# It prints one line "elapsed_ms=<milliseconds per run>", the time of the
# computations only (reading the data and loading the packages left out).
#
# Where R has no equivalent routine the script does the same arithmetic in
# vectorised R. Two limits, kept in the figures the benchmark reports:
# shapiro.test takes at most 5000 values (above that it runs on the first
# 5000, which makes the script faster than the work it stands for), and
# Kendall's tau by cor.test counts all pairs, so above 10,000 rows it is left
# out. The generalized concordance coefficients sum a kernel over all
# ordered pairs, in blocks of rows to bound the memory.
suppressPackageStartupMessages({
  library(nortest)
  library(robustbase)
  library(epiR)
})

args <- commandArgs(trailingOnly = TRUE)
d <- read.csv(args[1])
gccc <- length(args) >= 2 && args[2] == "1"
repeats <- if (length(args) >= 3) as.integer(args[3]) else 1

f10 <- function(v) sprintf("%10.5f", v)
cell <- function(v) sprintf("%9.4f ", v)

pairSums <- function(x, y, g) {
  n <- length(x); block <- 1000; total <- 0
  for (s in seq(1, n, by = block)) {
    i <- s:min(n, s + block - 1)
    total <- total + sum(g(outer(x[i], y, "-"))) - sum(g(outer(x[i], y, "+")))
  }
  total
}

whole_report <- function(x, sdx, y, sdy) {
  n <- length(x)
  out <- character()
  # Regression, parameter tests, OLS and symmetrical lines.
  fit <- lm(y ~ x); s <- summary(fit); e <- residuals(fit)
  r <- cor(x, y)
  rr2 <- 1 - (median(abs(y - fitted(fit))) / median(abs(y - mean(y))))^2
  a1 <- anova(lm(y ~ 0 + offset(x)), fit)
  wfit <- lm(y ~ x, weights = 1 / (sdy^2 + sdx^2))
  xy <- lm(x ~ y)
  b1 <- coef(fit)[2]; b2 <- 1 / coef(xy)[2]
  bis <- (b1 * b2 - 1 + sqrt((1 + b1^2) * (1 + b2^2))) / (b1 + b2)
  out <- c(out, f10(c(coef(fit), s$coefficients[, 2], r, rr2, a1$F[2], bis)))
  # Distribution, moments, robust scale.
  for (v in list(x, y)) {
    shapiro.test(v[seq_len(min(n, 5000))])
    lillie.test(v); cvm.test(v); ad.test(v)
    m <- mean(v); dv <- v - m
    out <- c(out, f10(c(mean(abs(dv)), median(v), var(v), mean(dv^3), mean(dv^4), range(v), Sn(v), Qn(v))))
  }
  # Mean bias, errors, index.
  var.test(y, x); t.test(y, x, var.equal = TRUE); t.test(y, x); t.test(y, x, paired = TRUE)
  ratio <- ifelse(y != 0, x / y, 0)
  out <- c(out, f10(c(mean(y - x), mean(abs(y - x)), 1 - sum((y - x)^2) / sum((y - mean(y))^2),
                      max(abs(y - x)), mean(ratio), t.test(ratio)$p.value)))
  # Concordance.
  epi.ccc(x, y, ci = "asymptotic"); epi.ccc(x, y, ci = "z-transform")
  if (gccc) {
    for (g in list(function(u) u^2, function(u) abs(u), function(u) abs(u)^1.5))
      out <- c(out, f10(pairSums(x, y, g)))
    # The winsorized and Huber variants on clipped data.
    q <- quantile(c(x, y), c(0.05, 0.95)); xc <- pmin(pmax(x, q[1]), q[2]); yc <- pmin(pmax(y, q[1]), q[2])
    for (g in list(function(u) u^2, function(u) abs(u), function(u) abs(u)^1.5,
                   function(u) ifelse(abs(u) <= 1.345, u^2 / 2, 1.345 * abs(u) - 1.345^2 / 2)))
      out <- c(out, f10(pairSums(xc, yc, g)))
  }
  # Ranks; the ranks go into the sheet.
  suppressWarnings(cor.test(x, y, method = "spearman", exact = FALSE))
  if (n <= 10000) suppressWarnings(cor.test(x, y, method = "kendall", exact = FALSE))
  suppressWarnings(ks.test(x, y, exact = FALSE)); wilcox.test(y, x, exact = FALSE)
  rx <- rank(x); ry <- rank(y)
  # Balance and orthogonal balance: two-by-two tables and their tests.
  over <- x > y
  for (split in list(x > mean(x), y > mean(y), (x - mean(x)) + (y - mean(y)) > 0,
                     (x - mean(x)) + coef(fit)[2] * (y - mean(y)) > 0)) {
    tab <- table(factor(over, c(TRUE, FALSE)), factor(split, c(FALSE, TRUE)))
    suppressWarnings(chisq.test(tab, correct = FALSE))
    out <- c(out, f10(log((tab[1, 1] + 0.5) * (tab[2, 2] + 0.5) / ((tab[1, 2] + 0.5) * (tab[2, 1] + 0.5)))))
  }
  # MSEP with its decomposition and the bootstrap (200 sub-samples of 20 %).
  msep <- mean((x - y)^2)
  out <- c(out, f10(c(msep, (mean(x) - mean(y))^2, (sd(x) - sd(y))^2, 2 * sd(x) * sd(y) * (1 - r))))
  size <- max(2, round(n * 0.2))
  boot <- vapply(1:200, function(k) { i <- sample.int(n, size, replace = TRUE); mean((x[i] - y[i])^2) }, 0)
  out <- c(out, f10(c(mean(boot), sd(boot))))
  # Difference regressions (Kleijnen, Bland and Altman).
  dxy <- x - y
  out <- c(out, f10(coef(lm(dxy ~ I(x + y)))), f10(coef(lm(dxy ~ I((x + y) / 2)))))
  # Thresholds, distance, weighed deviance.
  out <- c(out, sprintf("%d", table(cut(abs(rx - ry), c(-Inf, 12, Inf)))),
           sprintf("%d", table(cut(abs(x - y), c(-Inf, 6, Inf)))))
  out <- c(out, f10(c(sqrt(sum(dxy^2)), sum(abs(dxy)), sum(dxy^2 / pmax(abs(y), 1e-12)))))
  # Deviation analysis and its interval window.
  fd <- lm(dxy ~ x); tq <- qt(0.975, n - 1)
  t.test(dxy)
  qchisq(c(0.05, 0.95, 0.025, 0.975), n); qchisq(c(0.05, 0.95), n - 1); qchisq(c(0.025, 0.975), n - 2)
  shapiro.test(dxy[seq_len(min(n, 5000))]); lillie.test(dxy); cvm.test(dxy); ad.test(dxy)
  ci <- predict(fd, interval = "confidence", se.fit = TRUE)
  pi <- suppressWarnings(predict(fd, interval = "prediction"))
  window <- paste0(sprintf("%10.4f %10.4f %10.4f %8.4f %8.4f %9.4f %9.4f ", x, dxy, ci$fit[, 1], dxy - ci$fit[, 1],
                           ci$se.fit, ci$fit[, 2], ci$fit[, 3]),
                   ifelse(ci$fit[, 2] > 0 | ci$fit[, 3] < 0, "   *     ", "         "),
                   sprintf("%8.4f %9.4f %9.4f ", sqrt(ci$se.fit^2 + sum(residuals(fd)^2) / (n - 2)), pi[, 2], pi[, 3]),
                   ifelse(pi[, 2] > 0 | pi[, 3] < 0, "   *", "    "))
  # Residual analysis: the per-point table with its marks, three normality
  # tests, the residue regression.
  h <- hatvalues(fit); mse <- sum(e^2) / (n - 2)
  rs <- rstandard(fit); rt <- rstudent(fit); ck <- cooks.distance(fit); dff <- dffits(fit)
  nr <- sqrt(mse) * qnorm((rank(e) - 0.375) / (n + 0.25))
  lim <- qnorm(0.95) * sqrt(var(y) / n)
  table <- paste0(sprintf("%3d ", seq_len(n)), cell(x), cell(y),
                  sprintf("%9.4f", dxy), ifelse(abs(dxy) > lim, "*", " "), cell(fitted(fit)),
                  sprintf("%9.4f", e), ifelse(abs(e) > 0.1 * mean(y), "*", " "), cell(nr),
                  cell(sqrt(mse * (1 - h))), cell(e / sqrt(mse)), cell(rs),
                  sprintf("%9.4f", rt), ifelse(abs(rt) > 2.5, "*", " "),
                  sprintf("%9.4f", h), ifelse(h >= 4 / n, "*", " "),
                  sprintf("%9.4f", ck), ifelse(pf(ck, 2, n - 2) > 0.5, "*", " "),
                  sprintf("%9.4f", dff), ifelse(abs(dff) >= 2 * sqrt(2 / n), "*", " "), cell(e / (1 - h)))
  for (v in list(e, rs, rt)) shapiro.test(v[seq_len(min(n, 5000))])
  summary(lm(e ~ fitted(fit)))
  paste(c(out, window, table), collapse = "\r\n")
}

elapsed <- system.time(for (k in seq_len(repeats)) report <- whole_report(d$x, d$sdx, d$y, d$sdy))[["elapsed"]]
cat(sprintf("elapsed_ms=%.3f\n", 1000 * elapsed / repeats))
