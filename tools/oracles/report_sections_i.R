# Recomputes, independently of KVE, every number that the distribution,
# moment, robust-statistics, diverse-measure, index, concordance,
# generalized-concordance and rank sections of a report print, and compares
# them with the report at the printed precision: a printed number must be
# the R value rounded to its decimals (either neighbour when the R value lies
# within 1e-9 of a rounding boundary). A probability field never shows
# zero: a value below the field's last unit is raised by one unit before it
# is rounded (so 7E-6 prints as 0.00002), and the R value is raised alike.
#
#   Rscript tools/oracles/report_sections_i.R examples/crop_yield.KVE \
#           app/tests/core/golden/crop_yield_report.txt
#   Rscript tools/oracles/report_sections_i.R app/tests/core/golden/signed_ties.KVE \
#           app/tests/core/golden/signed_ties_report.txt
#
# The sources, section by section:
# - distribution: shapiro.test (AS R94, as the library); the goodness-of-fit
#   blocks from nortest (lillie.test D, cvm.test W2, ad.test A2, all plain,
#   with mean and SD (n - 1) estimated), Kuiper's V = D+ + D- and Watson's
#   U2 = W2 - n (mean z - 1/2)^2 from the probability transforms, and the
#   significance levels from Stephens' exponential-quadratic approximations
#   (D'Agostino and Stephens 1986, table 4.9) evaluated at the plain
#   statistics, as the report's "not adjusted" blocks take them;
# - moments: mean, median, var, sd, the mean absolute deviation, skewness
#   m3 / s^3 and kurtosis m4 / s^4 (s with n - 1, no 3 subtracted);
# - robust statistics: robustbase's Sn (its constant and small-sample
#   factors) and Qn as 2.2219 dn times the order statistic of the pairwise
#   distances (robustbase's Qn0 rounds some of them to single precision);
# - diverse measures: var.test, t.test (pooled, Welch, paired);
# - index: t.test's statistic of the ratios with pt() at n - 2 degrees of
#   freedom and qt() at n for the intervals;
# - concordance: epiR::epi.ccc. The report passes the variances with divisor
#   n - 1; epi.ccc takes them with divisor n. Shrinking the mean difference
#   by sqrt((n - 1)/n) (y - (1 - sqrt((n - 1)/n)) (mean y - mean x)) gives
#   data whose divisor-n coefficient, location shift and r are the report's,
#   so epi.ccc on them yields the report's rc, u, v, Cb, standard error and
#   both intervals. Nickerson's and Liao's coefficients by their formulas
#   (Liao's standard error by the delta method with deriv()'s gradient, as in
#   concordance_ccc.R);
# - generalized concordance: King and Chinchilli's U-statistics over ordered
#   pairs with the delta-method standard error of the Hoeffding projections,
#   written out as in concordance_gccc.py, with qt(0.975, n - 2);
# - ranks: cor.test (Spearman, Kendall with the tie-corrected z), the
#   rank-difference D with its normal deviate, ks.test's statistic with
#   Q(lambda) at lambda = (sqrt(en) + 0.12 + 0.11 / sqrt(en)) KS, and
#   wilcox.test's W for the Mann-Whitney D = W - nx ny / 2 - 0.5 with the
#   tie-corrected variance (its p-value checked against wilcox.test's
#   one-sided one when D > 0).
#
# The dataset is read from the .KVE file's DATA block: X, SD X, Y, SD Y and
# the exclusion mark; a row is used when X is not empty and the mark does not
# begin with "Y", "y" or "0".
suppressPackageStartupMessages({
  library(nortest)
  library(robustbase)
  library(epiR)
})

args <- commandArgs(trailingOnly = TRUE)
kve <- sub("\r$", "", readLines(args[1], warn = FALSE, encoding = "UTF-8"))
report <- sub("\r$", "", readLines(args[2], warn = FALSE, encoding = "UTF-8"))

start <- which(kve == "DATA:") + 1
stop <- which(kve == "NOTES:") - 1
if (length(stop) == 0) stop <- length(kve)
x <- c(); y <- c()
for (l in kve[start:stop]) {
  cl <- scan(text = l, what = "", sep = ",", quiet = TRUE, na.strings = character())
  mark <- if (length(cl) >= 7) cl[7] else ""
  if (is.na(cl[1]) || cl[1] == "") next
  if (nchar(mark) > 0 && toupper(substr(mark, 1, 1)) %in% c("Y", "0")) next
  x <- c(x, as.numeric(cl[1])); y <- c(y, as.numeric(cl[3]))
}
n <- length(x)
mx <- mean(x); my <- mean(y); vx <- var(x); vy <- var(y)
zq <- qnorm(0.975)

# ---- the report, section by section --------------------------------------
# (The distribution section's inner title "Empiriral Distribution Function
# for Normality" is underlined like a heading but belongs to the section.)
here <- dirname(normalizePath(sub("^--file=", "", grep("^--file=", commandArgs(FALSE), value = TRUE)[1])))
source(file.path(here, "report_check.R"))
section <- sectionReader(report, "Empiriral Distribution Function for Normality")
bad <- 0; checked <- 0

# ---- distribution --------------------------------------------------------
stephens <- list(
  W2 = list(cut = c(0.0275, 0.051, 0.092),
            coef = rbind(c(-13.953, 775.5, -12542.61), c(-5.903, 179.546, -1515.29),
                         c(0.886, -31.62, 10.897), c(1.111, -34.242, 12.832))),
  U2 = list(cut = c(0.0262, 0.048, 0.094),
            coef = rbind(c(-13.642, 766.31, -12432.74), c(-6.3328, 214.57, -2022.28),
                         c(0.851, -32.006, -3.45), c(1.325, -38.918, 16.45))),
  A2 = list(cut = c(0.2, 0.34, 0.6),
            coef = rbind(c(-13.436, 101.14, -223.73), c(-8.318, 42.796, -59.938),
                         c(0.9177, -4.279, -1.38), c(1.2937, -5.709, 0.0186))))
significance <- function(stat, t) {
  tb <- stephens[[stat]]
  j <- 4 - sum(t < tb$cut)
  cf <- tb$coef[j, ]
  p <- exp(cf[1] + t * (cf[2] + t * cf[3]))
  if (j <= 2) 1 - p else p
}
goodness_of_fit <- function(v) {
  k <- length(v)
  z <- pnorm(sort(v), mean(v), sd(v))
  i <- seq_len(k)
  Dp <- max(i / k - z); Dm <- max(z - (i - 1) / k)
  D <- unname(lillie.test(v)$statistic)
  stopifnot(abs(D - max(Dp, Dm)) < 1e-12)
  W2 <- unname(cvm.test(v)$statistic)
  U2 <- W2 - k * (mean(z) - 0.5)^2
  A2 <- unname(ad.test(v)$statistic)
  sw <- shapiro.test(v)
  list(D = D, V = Dp + Dm, W2 = c(W2, significance("W2", W2)), U2 = c(U2, significance("U2", U2)),
       A2 = c(A2, significance("A2", A2)), SW = c(unname(sw$statistic), sw$p.value))
}
s <- section("DISTRIBUTION ANALYSES")
if (!is.null(s)) {
  for (v in list(list("X", x), list("Y", y))) {
    sw <- shapiro.test(v[[2]])
    check(s, sprintf("SW's W-value for normality for %s (P-value < W) : ", v[[1]]),
          c(sw$statistic, sw$p.value), prob = c(FALSE, TRUE))
  }
  for (k in 1:2) {
    g <- goodness_of_fit(if (k == 1) x else y)
    check(s, "Kolmogorov-Smirnov's D statistic : ", g$D, k = k)
    check(s, "Kuiper's V statistic             : ", g$V, k = k)
    check(s, "Cramér-von Mises's W2 statistic  : ", g$W2, c(5, 4), c(FALSE, TRUE), k = k)
    check(s, "Watson's U2 statistic            : ", g$U2, c(5, 4), c(FALSE, TRUE), k = k)
    check(s, "Anderson-Darling's A2 statistic  : ", g$A2, c(5, 4), c(FALSE, TRUE), k = k)
    check(s, "Shapiro-Wilk's W statistic       : ", g$SW, c(5, 4), c(FALSE, TRUE), k = k)
  }
}

# ---- moments -------------------------------------------------------------
moments <- function(v) {
  d <- v - mean(v)
  c(adev = mean(abs(d)), min = min(v), max = max(v), mean = mean(v), median = median(v), var = var(v),
    sd = sd(v), skew = mean(d^3) / sd(v)^3, kurt = mean(d^4) / var(v)^2)
}
s <- section("MOMENT ANALYSES")
if (!is.null(s)) {
  mX <- moments(x); mY <- moments(y)
  labels <- c("X Abs Mean : ", "X Min      : ", "X Max      : ", "X Mean     : ", "X Median   : ",
              "X Variance : ", "X Std. Dev.: ", "X Skewness : ", "X Kurtosis : ")
  for (i in seq_along(labels))
    check(s, labels[i], c(mX[i], mY[i]), strip = sub("^X", "Y", labels[i]))
  check(s, "X - Y Mean : ", c(mean(x - y), var(x - y)), strip = "X - Y Var  : ")
  check(s, "Covariance : ", sum((x - mx) * (y - my)) / n)
}

# ---- robust statistics ---------------------------------------------------
qn <- function(v) {
  k <- length(v); h <- k %/% 2 + 1
  dn <- if (k < 9) c(0.399, 0.994, 0.512, 0.844, 0.611, 0.857, 0.669)[k - 1]
        else if (k %% 2 == 1) k / (k + 1.4) else k / (k + 3.8)
  2.2219 * dn * sort(as.vector(dist(v)))[h * (h - 1) / 2]
}
s <- section("ROBUST STATISTICS")
if (!is.null(s)) {
  check(s, "X Sn       : ", c(Sn(x), Sn(y)), strip = "Y Sn       : ")
  check(s, "X Qn       : ", c(qn(x), qn(y)), strip = "Y Qn       : ")
}

# ---- diverse measures ----------------------------------------------------
s <- section("DIVERSE MEASURE ANALYSES")
if (!is.null(s)) {
  swapped <- any(report == "Swapped X <=> Y")
  e <- y - x
  mb <- mean(e); mae <- mean(abs(e))
  sources <- c(" (Cochran and Cox, 1954)", " (Loague and Green, 1991; Zacharias et al., 1996)")
  check(s, "Mean Bias (Y - X) (MB)             : ", mb,
        strip = c(sources, " !! Model underprediction !!", " !! Model overprediction !!"))
  percent <- function(label, value, mean, zero) {
    if (mean == 0) {
      if (!any(s == paste0(label, zero))) { cat("missing line:", label, zero, "\n"); bad <<- bad + 1 }
    } else {
      check(s, label, value * 100 / mean)
    }
  }
  label <- function(text) paste0(formatC(text, width = -35), ": ")
  ofX <- if (swapped) "% of X (Observed)" else "% of X (Predicted)"
  ofY <- if (swapped) "% of Y (Predicted)" else "% of Y (Observed)"
  percent(label(paste0("Mean Bias, ", ofX)), mb, mx, "!! Mean X is Zero !!")
  percent(label(paste0("Mean Bias, ", ofY)), mb, my, "!! Mean Y is Zero !!")
  f <- var.test(y, x)
  check(s, "H0: VarY = VarX, F-value           : ", c(max(vx, vy) / min(vx, vy), f$p.value),
        prob = c(FALSE, TRUE), strip = "(P =")
  pooled <- t.test(y, x, var.equal = TRUE); welch <- t.test(y, x); paired <- t.test(y, x, paired = TRUE)
  for (t in list(list("(same var.)    : ", pooled), list("(diff. var.)   : ", welch),
                 list("(paired w/cov.): ", paired), list("(paired diff.) : ", paired)))
    check(s, paste0("H0: MB = 0, T-value ", t[[1]]), c(t[[2]]$statistic, t[[2]]$p.value),
          prob = c(FALSE, TRUE), strip = "(P =")
  check(s, "Mean Absolute Error |Y - X| (MAE)  : ", mae)
  percent(label(paste0("MAE, ", ofX)), mae, mx, "!! Mean X is Zero !!")
  percent(label(paste0("MAE, ", ofY)), mae, my, "!! Mean Y is Zero !!")
  check(s, "MA%E, |Y - X|/Y                    : ", 100 * sum(abs(e[y > 0]) / y[y > 0]) / n)
  check(s, "MEF                                : ", 1 - sum(e^2) / sum((y - my)^2), strip = sources)
  check(s, "CD                                 : ", sum((y - my)^2) / sum((x - my)^2), strip = sources)
  check(s, "Maximum error = Max|Y - X|         : ", max(abs(e)))
}

# ---- index ---------------------------------------------------------------
s <- section("INDEX ANALYSIS")
if (!is.null(s)) {
  ratio <- ifelse(y != 0, x / y, 0)
  mr <- mean(ratio); sr <- sd(ratio); se <- sr / sqrt(n)
  if (my != 0) check(s, "Ave(X)/Ave(Y): ", mx / my)
  check(s, "Ave(X/Y)     : ", mr)
  check(s, "SD(X/Y)      : ", sr)
  for (P in c(0.05, 0.10)) {
    tq <- qt(P / 2, n)
    check(s, sprintf("CI (P=%.2f)  : [", P), c(mr + tq * se, mr - tq * se))
  }
  t0 <- unname(t.test(ratio, mu = 0)$statistic); t1 <- unname(t.test(ratio, mu = 1)$statistic)
  check(s, "P(Ratio = 0) : ", 2 * pt(-abs(t0), n - 2))
  check(s, "P(Ratio = 1) : ", 2 * pt(-abs(t1), n - 2))
}

# ---- concordance ---------------------------------------------------------
gr_fun <- deriv(~ (4 * c - c^2 * (1 / a + 1 / b)) / (e^2 + 2 * (a + b) - c * (a + b) / sqrt(a * b)),
                c("a", "b", "c", "e"))
s <- section("CONCORDANCE CORRELATION COEFFICIENT")
if (!is.null(s)) {
  r <- cor(x, y)
  shrunk <- y - (1 - sqrt((n - 1) / n)) * (my - mx)
  a <- epi.ccc(x, shrunk, ci = "asymptotic")
  b <- epi.ccc(x, shrunk, ci = "z-transform")
  rc <- a$rho.c$est; se <- (a$rho.c$upper - rc) / zq
  stopifnot(abs(rc - 2 * r * sqrt(vx * vy) / (vx + vy + (my - mx)^2)) < 1e-14)
  trc <- atanh(rc); setrc <- se / (1 - rc^2)
  comments <- c(" !! Model underprediction !!", " !! Model overprediction !!")
  check(s, "Scale shift (v)      : ", a$s.shift)
  check(s, "Location shift (u)   : ", a$l.shift, strip = comments)
  check(s, "Bias correction (Cb) : ", a$C.b)
  check(s, "rc ± SE rc           : ", c(rc, se))
  check(s, "Z-value (P-Value)    : ", c(rc / se, 2 * pnorm(-abs(rc / se))), prob = c(FALSE, TRUE))
  check(s, "Lower - Upper 95% CI : [", c(a$rho.c$lower, a$rho.c$upper))
  check(s, "Transformed rc ± SE rc              : ", c(trc, setrc))
  check(s, "Transformed Z-value (P-Value)       : ", c(trc / setrc, 2 * pnorm(-abs(trc / setrc))),
        prob = c(FALSE, TRUE))
  check(s, "Transformed Lower - Upper 95% CI    : [", c(trc - zq * setrc, trc + zq * setrc))
  check(s, "Un-transformed Lower - Upper 95% CI : [", c(b$rho.c$lower, b$rho.c$upper))
  check(s, "rc : ", 2 * r * sqrt(vx * vy) / ((my - mx)^2 + vx + vy - var(x - y) / n))

  sx <- sqrt(vx); sy <- sqrt(vy)
  ar <- (4 * sy * sx - (vx + vy) * r) / ((my - mx)^2 + (2 - r) * (vx + vy))
  g <- eval(gr_fun, list(a = vy, b = vx, c = r * sx * sy, e = mx - my))
  d <- attr(g, "gradient")
  S <- matrix(c(2 * sy^4, 2 * r^2 * vx * vy, 2 * r * sx * sy^3, 0,
                2 * r^2 * vx * vy, 2 * sx^4, 2 * r * sx^3 * sy, 0,
                2 * r * sx * sy^3, 2 * r * sx^3 * sy, (r^2 + 1) * vx * vy, 0,
                0, 0, 0, vx + vy - 2 * r * sx * sy), 4, 4, byrow = TRUE)
  gr <- ar * r; segr <- sqrt(as.numeric(d %*% S %*% t(d)) / n)
  stopifnot(abs(gr - as.numeric(g)) < 1e-14)
  tgr <- atanh(gr); setgr <- segr / (1 - gr^2)
  check(s, "Ar (~ Cb)              : ", ar)
  check(s, "Gr ± SE Gr (~ rc)      : ", c(gr, segr))
  check(s, "Z-value (P-Value)      : ", c(gr / segr, 2 * pnorm(-abs(gr / segr))), prob = c(FALSE, TRUE))
  check(s, "Lower - Upper 95% CI   : [", c(gr - zq * segr, gr + zq * segr))
  check(s, "Transformed Gr ± SE Gr              : ", c(tgr, setgr))
  check(s, "Transformed Z-value (P-Value)       : ", c(tgr / setgr, 2 * pnorm(-abs(tgr / setgr))),
        prob = c(FALSE, TRUE), k = 2)
  check(s, "Transformed Lower - Upper 95% CI    : [", c(tgr - zq * setgr, tgr + zq * setgr), k = 2)
  check(s, "Un-transformed Lower - Upper 95% CI : [", tanh(c(tgr - zq * setgr, tgr + zq * setgr)), k = 2)
}

# ---- generalized concordance ----------------------------------------------
# Delta: the larger of mean + 1.5 SD of x + y and of x - y over the data
# winsorised at the order statistics round(0.05 n) (at least 1) and
# round(0.95 n), variances with n - 1 and the covariance with n.
gccc <- function(x, y, P = 1.5) {
  k <- length(x)
  lo <- max(1, round(0.05 * k)); hi <- round(0.95 * k)
  wins <- function(v) { s <- sort(v); pmin(pmax(v, s[lo]), s[hi]) }
  wx <- wins(x); wy <- wins(y)
  cxy <- sum((wx - mean(wx)) * (wy - mean(wy))) / k
  delta <- max(mean(wx) + mean(wy) + 1.5 * sqrt(var(wx) + var(wy) + 2 * cxy),
               mean(wx) - mean(wy) + 1.5 * sqrt(var(wx) + var(wy) - 2 * cxy))
  tq <- qt(0.975, k - 2)
  out <- matrix(NA, 7, 4)
  for (variant in 1:7) {
    g <- switch(as.character(variant),
                "1" = , "4" = function(u) u^2,
                "2" = , "5" = function(u) abs(u),
                "3" = , "6" = function(u) abs(u)^P,
                "7" = function(u) ifelse(abs(u) <= delta, u^2 / 2, delta * abs(u) - delta^2 / 2))
    clipped <- variant %in% 4:6
    lim <- if (clipped) function(u) ifelse(abs(u) > delta, delta, u) else identity
    gd <- g(lim(x - y)) - g(lim(x + y))
    over <- clipped & (abs(2 * x) > delta | abs(2 * y) > delta)
    gt <- ifelse(over, 2 * g(delta), g(2 * x) + g(2 * y))
    cross <- g(lim(outer(x, y, "-"))) - g(lim(outer(x, y, "+")))
    diag(cross) <- 0
    hA <- (gd * (k - 2) + sum(gd)) / (2 * (k - 1))
    hB <- (gt * (k - 2) + sum(gt)) / (4 * (k - 1))
    hC <- (rowSums(cross) + colSums(cross)) / (2 * (k - 1))
    A <- mean(hA); B <- mean(hB); C <- sum(cross) / (k * (k - 1))
    num <- (k - 1) * (C - A); den <- k * B + A + (k - 1) * C
    rg <- num / den
    infl <- (k - 1) * ((hC - C) - (hA - A)) / den - num * (k * (hB - B) + (hA - A) + (k - 1) * (hC - C)) / den^2
    se <- sqrt(4 * sum(infl^2) / k^2)
    zs <- se / (1 - rg^2)
    out[variant, ] <- c(rg, se, tanh(atanh(rg) - tq * zs), tanh(atanh(rg) + tq * zs))
  }
  out
}
s <- section("GENERALIZED CONCORDANCE CORRELATION COEFFICIENT")
if (!is.null(s)) {
  labels <- c("SQUARED distance", "ABSOLUTE distance", "ABSOLUTE distance to POWER 1.5",
              "Winsorized Squared distance", "Winsorized Absolute distance",
              "Winsorized Absolute distance to POWER 1.5", "Huber function")
  g <- gccc(x, y)
  for (v in 1:7) check(s, formatC(labels[v], width = -43), g[v, ])
}

# ---- ranks ---------------------------------------------------------------
s <- section("RANK ANALYSIS - NONPARAMETRICS")
if (!is.null(s)) {
  # A printed run may have inverted the ranks; this script takes them as
  # they are.
  rx <- rank(x); ry <- rank(y)
  sp <- suppressWarnings(cor.test(x, y, method = "spearman", exact = FALSE))
  rs <- unname(sp$estimate)
  ts <- rs * sqrt((n - 2) / (1 - rs^2))
  D <- sum((rx - ry)^2)
  tx <- table(x); ty <- table(y)
  sf <- sum(tx^3 - tx); sg <- sum(ty^3 - ty); en3n <- n^3 - n
  zd <- (D - (en3n / 6 - (sf + sg) / 12)) / sqrt((n - 1) * n^2 * (n + 1)^2 / 36 * (1 - sf / en3n) * (1 - sg / en3n))
  kt <- suppressWarnings(cor.test(x, y, method = "kendall", exact = FALSE, continuity = FALSE))
  ks <- unname(suppressWarnings(ks.test(x, y, exact = FALSE))$statistic)
  en <- n * n / (n + n)
  lambda <- (sqrt(en) + 0.12 + 0.11 / sqrt(en)) * ks
  j <- 1:200
  probks <- min(1, max(0, 2 * sum((-1)^(j - 1) * exp(-2 * j^2 * lambda^2))))
  W <- unname(suppressWarnings(wilcox.test(y, x, exact = FALSE))$statistic)
  Dmw <- W - n * n / 2 - 0.5
  ties <- table(c(x, y)); N <- 2 * n
  varmw <- n * n / (N * (N - 1)) * (N^3 - N - sum(ties^3 - ties)) / 12
  sig <- pnorm(-abs(Dmw) / sqrt(varmw))
  if (Dmw > 0)
    stopifnot(abs(sig - suppressWarnings(wilcox.test(y, x, alternative = "greater", exact = FALSE,
                                                     correct = TRUE))$p.value) < 1e-12)
  p <- c(FALSE, FALSE, TRUE)
  check(s, "Spearman's r : ", c(rs, ts, 2 * pt(-abs(ts), n - 2)), prob = p,
        strip = "H0: r = 0, T-value (P-value)          : ")
  check(s, "D            : ", c(D, zd, 2 * pnorm(-abs(zd))), dec = c(1, 5, 5), prob = p,
        strip = "H0: D = 0, Z-value (P-value)          : ")
  check(s, "Tau          : ", c(kt$estimate, kt$statistic, kt$p.value), prob = p,
        strip = "H0: Tau = 0, Z-value (P-value)        : ")
  check(s, "KS           : ", c(ks, en, probks), prob = p, strip = "H0: dX = dY, N-value (P-value)        : ")
  check(s, "Mann-Whitney : ", c(Dmw, abs(Dmw) / sqrt(varmw), sig), prob = p,
        strip = "H0: WD = 0, Z-value (1-sided P-value) : ")
}

if (bad > 0) quit(status = 1)
cat(sprintf("all %d numbers agree with R (n = %d)\n", checked, n))
